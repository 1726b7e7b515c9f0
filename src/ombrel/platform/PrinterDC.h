#pragma once

#include "ombrel/platform/DC.h"

namespace Ombrel {

class CPrinter;

// A device context on a printer's pages.
//
// Flow: StartDoc opens the document (for PDF output: the file), StartPage / EndPage frame
// each page, EndDoc finishes it (AbortDoc throws the unfinished output away). Drawing is
// possible between StartPage and EndPage; GetDeviceCaps answers from the printer at any time.
// Every call out of order fails with false and changes nothing. The printer must outlive the
// device context.
class CPrinterDC : public CDC
{
public:
    explicit CPrinterDC(CPrinter& printer);
    ~CPrinterDC() override;

    bool StartDoc(const char* docName);
    bool StartPage();
    bool EndPage();
    bool EndDoc();
    bool AbortDoc();
    // Pages finished with EndPage since StartDoc.
    int GetPagesPrinted() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_printer;
};

} // namespace Ombrel
