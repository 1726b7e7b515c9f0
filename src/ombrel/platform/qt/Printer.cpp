// Printing on Qt's print support: CPrinter (a QPrinter, PDF output when no printer is
// installed), CPrinterDC (a QPainter over it, one page at a time) and the print and page
// set-up dialogs.

#include "ombrel/platform/PageSetupDialog.h"
#include "ombrel/platform/PrintDialog.h"
#include "ombrel/platform/Printer.h"
#include "ombrel/platform/PrinterDC.h"

#include "ombrel/platform/GdiTypes.h"
#include "ombrel/platform/QtInterop.h"
#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/qt/QtDrawing.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace Ombrel {

namespace {

constexpr const char* kDefaultPdfName = "print.pdf";

QWidget* ParentWidget(CWnd* parent)
{
    return parent != nullptr ? GetWidget(*parent) : nullptr;
}

} // namespace

// ---- CPrinter ----------------------------------------------------------------------------

struct CPrinter::Impl
{
    QPrinter printer{QPrinter::HighResolution};
    bool valid = false;
};

CPrinter::CPrinter() : m_impl(std::make_unique<Impl>())
{
    QPrinter& printer = m_impl->printer;
    // A machine without printers still prints: to a PDF file on A4 paper.
    if (QPrinterInfo::availablePrinters().isEmpty() || !printer.isValid()) {
        SetPdfOutput(QDir::current().filePath(kDefaultPdfName).toUtf8().constData());
    }
    m_impl->valid = printer.isValid();
}

CPrinter::~CPrinter() = default;

bool CPrinter::IsValid() const
{
    return m_impl->valid;
}

bool CPrinter::IsPdfOutput() const
{
    return m_impl->printer.outputFormat() == QPrinter::PdfFormat;
}

void CPrinter::SetPdfOutput(const char* path)
{
    QPrinter& printer = m_impl->printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setOutputFileName(QString::fromUtf8(path != nullptr ? path : kDefaultPdfName));
    m_impl->valid = printer.isValid();
}

CString CPrinter::GetOutputFileName() const
{
    return CString(m_impl->printer.outputFileName().toUtf8().constData());
}

CString CPrinter::GetPrinterName() const
{
    if (IsPdfOutput()) {
        return CString("PDF");
    }
    return CString(m_impl->printer.printerName().toUtf8().constData());
}

void CPrinter::SetDocName(const char* name)
{
    m_impl->printer.setDocName(QString::fromUtf8(name != nullptr ? name : ""));
}

int CPrinter::GetDeviceCaps(int index) const
{
    if (!m_impl->valid) {
        return 0;
    }
    const QPrinter& printer = m_impl->printer;
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    switch (index) {
    case HORZRES:
        return qRound(page.width());
    case VERTRES:
        return qRound(page.height());
    case LOGPIXELSX:
        return printer.logicalDpiX();
    case LOGPIXELSY:
        return printer.logicalDpiY();
    case PHYSICALWIDTH:
        return qRound(paper.width());
    case PHYSICALHEIGHT:
        return qRound(paper.height());
    case PHYSICALOFFSETX:
        return qRound(page.left() - paper.left());
    case PHYSICALOFFSETY:
        return qRound(page.top() - paper.top());
    default:
        return 0;
    }
}

// ---- CPrinterDC --------------------------------------------------------------------------

// The document's state: pages open and close in turn between StartDoc and EndDoc.
enum class DocState
{
    Closed,
    BetweenPages,
    InPage
};

struct CPrinterDC::Impl
{
    CPrinter& printer;
    QPainter painter;
    DocState state = DocState::Closed;
    int pagesPrinted = 0;

    explicit Impl(CPrinter& p) : printer(p) {}
};

CPrinterDC::CPrinterDC(CPrinter& printer) : m_printer(std::make_unique<Impl>(printer)) {}

CPrinterDC::~CPrinterDC()
{
    if (m_printer->state != DocState::Closed) {
        AbortDoc();
    }
}

bool CPrinterDC::StartDoc(const char* docName)
{
    Impl& impl = *m_printer;
    if (impl.state != DocState::Closed || !impl.printer.IsValid()) {
        return false;
    }
    impl.printer.SetDocName(docName);
    if (!impl.painter.begin(&impl.printer.GetImpl().printer)) {
        return false;
    }
    impl.pagesPrinted = 0;
    impl.state = DocState::BetweenPages;
    return true;
}

bool CPrinterDC::StartPage()
{
    Impl& impl = *m_printer;
    if (impl.state != DocState::BetweenPages) {
        return false;
    }
    // The painter opened the first page; every later one is a new page.
    if (impl.pagesPrinted > 0 && !impl.printer.GetImpl().printer.newPage()) {
        return false;
    }
    AttachPainter(*this, &impl.painter);
    impl.state = DocState::InPage;
    return true;
}

bool CPrinterDC::EndPage()
{
    Impl& impl = *m_printer;
    if (impl.state != DocState::InPage) {
        return false;
    }
    AttachPainter(*this, nullptr);
    ++impl.pagesPrinted;
    impl.state = DocState::BetweenPages;
    return true;
}

bool CPrinterDC::EndDoc()
{
    Impl& impl = *m_printer;
    if (impl.state == DocState::InPage) {
        EndPage();
    }
    if (impl.state != DocState::BetweenPages) {
        return false;
    }
    impl.state = DocState::Closed;
    return impl.painter.end();
}

bool CPrinterDC::AbortDoc()
{
    Impl& impl = *m_printer;
    if (impl.state == DocState::Closed) {
        return false;
    }
    AttachPainter(*this, nullptr);
    QPrinter& printer = impl.printer.GetImpl().printer;
    printer.abort();
    impl.painter.end();
    impl.state = DocState::Closed;
    // A PDF that was cut short is no document: do not leave half of it behind.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        QFile::remove(printer.outputFileName());
    }
    return true;
}

int CPrinterDC::GetPagesPrinted() const
{
    return m_printer->pagesPrinted;
}

// ---- CPrintDialog ------------------------------------------------------------------------

struct CPrintDialog::Impl
{
    CPrinter& printer;
    CWnd* parent = nullptr;
    int minPage = 1;
    int maxPage = 0;
    bool printAll = true;
    int fromPage = 0;
    int toPage = 0;
};

CPrintDialog::CPrintDialog(CPrinter& printer, CWnd* parent)
    : m_impl(std::make_unique<Impl>(Impl{printer, parent}))
{
}

CPrintDialog::~CPrintDialog() = default;

void CPrintDialog::SetMinMaxPage(int minPage, int maxPage)
{
    m_impl->minPage = minPage;
    m_impl->maxPage = maxPage;
}

int CPrintDialog::DoModal()
{
    Impl& impl = *m_impl;
    if (!impl.printer.IsValid()) {
        return IDCANCEL;
    }
    QPrinter& printer = impl.printer.GetImpl().printer;
    QPrintDialog dialog(&printer, ParentWidget(impl.parent));
    const bool hasRange = impl.maxPage >= impl.minPage && impl.minPage >= 1;
    if (hasRange) {
        dialog.setMinMax(impl.minPage, impl.maxPage);
        dialog.setFromTo(impl.minPage, impl.maxPage);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return IDCANCEL;
    }
    impl.printAll = !hasRange || printer.printRange() != QPrinter::PageRange;
    impl.fromPage = impl.printAll ? impl.minPage : std::max(printer.fromPage(), impl.minPage);
    impl.toPage = impl.printAll ? impl.maxPage : std::min(printer.toPage(), impl.maxPage);
    // The printer keeps no page range of its own: the caller prints the pages it was told.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    impl.printer.GetImpl().valid = printer.isValid();
    return IDOK;
}

bool CPrintDialog::PrintAll() const
{
    return m_impl->printAll;
}

int CPrintDialog::GetFromPage() const
{
    return m_impl->fromPage;
}

int CPrintDialog::GetToPage() const
{
    return m_impl->toPage;
}

// ---- CPageSetupDialog --------------------------------------------------------------------

struct CPageSetupDialog::Impl
{
    CPrinter& printer;
    CWnd* parent = nullptr;
};

CPageSetupDialog::CPageSetupDialog(CPrinter& printer, CWnd* parent)
    : m_impl(std::make_unique<Impl>(Impl{printer, parent}))
{
}

CPageSetupDialog::~CPageSetupDialog() = default;

int CPageSetupDialog::DoModal()
{
    Impl& impl = *m_impl;
    if (!impl.printer.IsValid()) {
        return IDCANCEL;
    }
    QPageSetupDialog dialog(&impl.printer.GetImpl().printer, ParentWidget(impl.parent));
    return dialog.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

} // namespace Ombrel
