#pragma once

#include <memory>

namespace Ombrel {

class CPrinter;
class CWnd;

// The platform's page set-up dialog (paper size, orientation, margins) over a printer.
// DoModal returns IDOK when the user confirmed the changes, IDCANCEL otherwise.
class CPageSetupDialog
{
public:
    CPageSetupDialog(CPrinter& printer, CWnd* parent = nullptr);
    ~CPageSetupDialog();
    CPageSetupDialog(const CPageSetupDialog&) = delete;
    CPageSetupDialog& operator=(const CPageSetupDialog&) = delete;

    int DoModal();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
