#include "ombrel/gui/services/DragSource.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/platform/ImageList.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/WindowMessaging.h"

namespace Ombrel::GUI {

namespace {

// The row types whose selected rows a drag takes: the first two drag flags of the drop
// settings allow fixed and normal rows.
std::int32_t DraggedTypes(const DropSettings& settings)
{
    return (settings.dragFlags[0] ? ROW_FIXED : 0) | (settings.dragFlags[1] ? ROW_NORMAL : 0);
}

} // namespace

CDragSource::CDragSource(CGrid* grid) : m_grid(grid)
{
    if (grid == nullptr || !IsWindow(grid))
        return;
    m_header = grid->GetHeader();
    const DropSettings* settings = grid->GetDropSettings();
    m_rowTypes = settings != nullptr ? DraggedTypes(*settings) : 0;
    if (m_rowTypes != 0)
        grid->GetSelectedRows(m_rowTypes, m_rows);
}

CDragSource::~CDragSource() = default;

CImageList* CDragSource::MakeDragImage(CPoint& hotSpot)
{
    CGridImpl* impl = CGrid::FindImpl(m_grid);
    CPoint pointer;
    if (impl == nullptr || m_rows.empty() || !GetCursorPos(&pointer))
        return nullptr;
    m_grid->ScreenToClient(&pointer);
    m_dragImage = impl->MakeDragImage(m_rows, pointer, hotSpot);
    return m_dragImage.get();
}

} // namespace Ombrel::GUI
