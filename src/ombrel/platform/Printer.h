#pragma once

#include "ombrel/base/String.h"

#include <memory>

namespace Ombrel {

// The printer a document goes to: the system's default printer when one is installed, else a
// PDF file (A4, portrait) so that printing still works on a machine without printers. The
// page set-up and print dialogs change it; a CPrinterDC draws on it.
//
// Device capabilities answer as a printer device context would: HORZRES/VERTRES (printable
// area, device pixels), LOGPIXELSX/Y (dots per inch), PHYSICALWIDTH/HEIGHT (paper, device
// pixels), PHYSICALOFFSETX/Y (printable area from the paper's corner). A printer that could
// not be set up (IsValid false) answers 0 to all of them.
//
// Used on the application thread only.
class CPrinter
{
public:
    CPrinter();
    ~CPrinter();
    CPrinter(const CPrinter&) = delete;
    CPrinter& operator=(const CPrinter&) = delete;

    bool IsValid() const;
    // True when output goes to a PDF file instead of a printer.
    bool IsPdfOutput() const;
    // Sends the output to a PDF file at `path` (A4 unless the page set-up changed the paper).
    void SetPdfOutput(const char* path);
    CString GetOutputFileName() const;
    // The printer's name, or "PDF" for file output.
    CString GetPrinterName() const;
    // The document's name as print queues show it.
    void SetDocName(const char* name);

    int GetDeviceCaps(int index) const;

    // The framework's own access to the toolkit printer (Qt side only).
    struct Impl;
    Impl& GetImpl() const { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
