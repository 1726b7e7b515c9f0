#pragma once

#include <memory>

namespace Ombrel {

class CPrinter;
class CWnd;

// The platform's print dialog over a printer: the user picks the printer (or a file), the
// copies and the pages. DoModal returns IDOK when confirmed, IDCANCEL otherwise; the printer
// then carries the choices.
class CPrintDialog
{
public:
    CPrintDialog(CPrinter& printer, CWnd* parent = nullptr);
    ~CPrintDialog();
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    // The pages the user may choose among, 1-based; a range with maxPage < minPage offers no
    // page choice.
    void SetMinMaxPage(int minPage, int maxPage);
    int DoModal();
    // After IDOK: whether all pages were asked for, else the chosen range (1-based, within the
    // min/max pages).
    bool PrintAll() const;
    int GetFromPage() const;
    int GetToPage() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
