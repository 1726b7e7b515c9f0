// The grid's operations on appearance, drawing and change highlighting: the handler of each operation of the group
// and the implementation's operations that are more than a call of one component.

#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"
#include "ombrel/gui/grid/detail/GridPainter.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/platform/WindowMessaging.h"

// A switch below that misses an operation of its group must not compile: the operation would
// otherwise reach no handler and silently return 0.
#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

using Detail::CopyRecord;
using Detail::Run;
using Op = GridOperation;

LRESULT CGridImpl::RunAppearanceOperation(GridAppearanceOperation op, LPARAM p)
{
    using G = GridAppearanceOperation;


    switch (op) {
    case G::ScheduleRepaint:
        return Run<Op::ScheduleRepaint>(p, [&](CGridItem* row, int index, int type, std::int64_t delay) {
            ScheduleRepaint(ResolveRow(row, index, type), delay);
        });
    case G::ScheduleCellRepaint:
        return Run<Op::ScheduleCellRepaint>(p, [&](CGridItem* row, std::int32_t id, std::int64_t delay) {
            ScheduleCellRepaint(row, id, delay);
        });
    case G::GetElapsedSinceChange:
        return Run<Op::GetElapsedSinceChange>(p, [&](CGridItem* row, int index, int type, std::int32_t id) {
            return GetElapsedSinceChange(ResolveRow(row, index, type), id);
        });

    case G::GetAppearance:
        return Run<Op::GetAppearance>(p, [&] { return &m_appearance; });
    case G::SetAppearance:
        return Run<Op::SetAppearance>(p, [&](const GridAppearance* appearance) {
            CopyRecord(m_appearance, appearance);
            Invalidate();
        });
    case G::GetBackgroundImage:
        return Run<Op::GetBackgroundImage>(p, [&] { return &m_backgroundImage; });
    case G::SetBackgroundImage:
        return Run<Op::SetBackgroundImage>(p, [&](const BackgroundImage* image) {
            if (image)
                SetBackgroundImage(*image);
        });
    case G::SetPaintOptions:
        return Run<Op::SetPaintOptions>(p, [&](std::uint32_t options) { SetPaintOptions(options); });
    case G::GetPaintOptions:
        return Run<Op::GetPaintOptions>(p, [&] { return m_options.paintOptions; });
    case G::SetDoubleBuffer:
        return Run<Op::SetDoubleBuffer>(p, [&](bool enable) { SetDoubleBuffer(enable); });
    case G::GetDoubleBuffer:
        return Run<Op::GetDoubleBuffer>(p, [&] { return m_options.doubleBuffer; });
    case G::SetImageList:
        return Run<Op::SetImageList>(p, [&](CImageList* list, bool stretch) { SetImageList(list, stretch); });
    case G::GetImageList:
        return Run<Op::GetImageList>(p, [&] { return m_imageList; });
    case G::SetStretchImages:
        return Run<Op::SetStretchImages>(p, [&](bool stretch) { SetStretchImages(stretch); });
    case G::GetStretchImages:
        return Run<Op::GetStretchImages>(p, [&] { return m_stretchImages; });
    case G::SetButtonsOnAllRows:
        return Run<Op::SetButtonsOnAllRows>(p, [&](bool enable) { SetButtonsOnAllRows(enable); });
    case G::HasButtonsOnAllRows:
        return Run<Op::HasButtonsOnAllRows>(p, [&] { return m_options.buttonsOnAllRows; });
    case G::GetHighlightSettings:
        return Run<Op::GetHighlightSettings>(p, [&] { return &m_highlight; });
    case G::SetHighlightSettings:
        return Run<Op::SetHighlightSettings>(p, [&](const HighlightSettings* settings) {
            CopyRecord(m_highlight, settings);
            Invalidate();
        });
    case G::ShowSeparator:
        return Run<Op::ShowSeparator>(p, [&](bool show) { ShowSeparator(show); });
    case G::IsSeparatorShown:
        return Run<Op::IsSeparatorShown>(p, [&] { return m_options.showSeparator; });
    case G::SetSeparatorThickness:
        return Run<Op::SetSeparatorThickness>(p, [&](int thickness) { SetSeparatorThickness(thickness); });
    case G::GetSeparatorThickness:
        return Run<Op::GetSeparatorThickness>(p, [&] { return static_cast<int>(m_options.separatorThickness); });
    case G::SetCustomDraw:
        return Run<Op::SetCustomDraw>(p, [&](ICustomDraw* customDraw) { return SetCustomDraw(customDraw); });
    case G::GetCustomDraw:
        return Run<Op::GetCustomDraw>(p, [&] { return GetCustomDraw(); });

    }
    return 0;
}
// ---- Change highlighting ----------------------------------------------------------------------

CGridItem* CGridImpl::ResolveRow(CGridItem* row, int index, int rowType) const
{
    if (row != nullptr)
        return m_rows->IsValid(row) ? row : nullptr;
    return m_rows->GetRowAt(index, rowType);
}

void CGridImpl::ScheduleRepaint(CGridItem* row, std::int64_t delayMs)
{
    if (!row || !m_rows->IsValid(row))
        return;
    if (delayMs <= 0) {
        RepaintRow(row);
        return;
    }
    row->ScheduleRepaint(delayMs);
    ArmRepaintTimer(delayMs);
}

void CGridImpl::ScheduleCellRepaint(CGridItem* row, std::int32_t fieldId, std::int64_t delayMs)
{
    if (!row || !m_rows->IsValid(row))
        return;
    if (delayMs <= 0) {
        RepaintCell(row, fieldId);
        return;
    }
    row->ScheduleCellRepaint(fieldId, delayMs);
    ArmRepaintTimer(delayMs);
}

std::int64_t CGridImpl::GetElapsedSinceChange(CGridItem* row, std::int32_t fieldId)
{
    if (!row || !m_rows->IsValid(row))
        return -1;
    return row->GetElapsedSinceChange(fieldId);
}

// ---- Appearance and drawing -----------------------------------------------------------------

void CGridImpl::SetPaintOptions(std::uint32_t options)
{
    m_options.paintOptions = options;
    Invalidate();
}

void CGridImpl::SetDoubleBuffer(bool enable)
{
    m_options.doubleBuffer = enable;
    m_painter->RebuildResources();
    Invalidate();
}

void CGridImpl::SetBackgroundImage(const BackgroundImage& image)
{
    m_backgroundImage = image;
    // The back buffer depends on the picture; rebuilt once the current message is done.
    if (!HasWindow() || !PostMessage(&m_grid, CGrid::GetSyncMessage(),
                                     static_cast<WPARAM>(GridOperation::RebuildResources), 0))
        m_painter->RebuildResources();
    Invalidate();
}

void CGridImpl::SetImageList(CImageList* imageList, bool stretch)
{
    m_imageList = imageList;
    m_stretchImages = stretch;
    Invalidate();
}

void CGridImpl::SetStretchImages(bool stretch)
{
    if (m_stretchImages == stretch)
        return;
    m_stretchImages = stretch;
    Invalidate();
}

void CGridImpl::ShowSeparator(bool show)
{
    m_options.showSeparator = show;
    m_layout->UpdateLayout();
    Invalidate();
}

void CGridImpl::SetSeparatorThickness(int thickness)
{
    // A negative band would overlap the rows around it.
    if (thickness < 0)
        return;
    m_options.separatorThickness = thickness;
    m_layout->UpdateLayout();
    Invalidate();
}

void CGridImpl::SetButtonsOnAllRows(bool enable)
{
    m_options.buttonsOnAllRows = enable;
    Invalidate();
}


} // namespace Ombrel::GUI
