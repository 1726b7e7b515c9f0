// The grid's printing operations: the handler of each operation of the group. The work is the
// printing service's (gui/print), made for the grid on first use.

#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"
#include "ombrel/gui/print/GridPrinting.h"

#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

using Detail::Run;
using Op = GridOperation;

CGridPrinting& CGridImpl::Printing()
{
    if (!m_printing) {
        m_printing = std::make_unique<CGridPrinting>(m_grid);
        AddService(m_printing.get());
    }
    return *m_printing;
}

LRESULT CGridImpl::RunPrintingOperation(GridPrintingOperation op, LPARAM p)
{
    using G = GridPrintingOperation;
    switch (op) {
    case G::Print:
        return Run<Op::Print>(p, [&](const PrintSettings* settings, const PrintJob* job) {
            return settings != nullptr && job != nullptr ? Printing().Print(*settings, *job) : 0;
        });
    case G::PrintPreview:
        return Run<Op::PrintPreview>(p, [&](const PrintSettings* settings) {
            return settings != nullptr ? Printing().OpenPreview(*settings) : nullptr;
        });
    }
    return 0;
}

} // namespace Ombrel::GUI
