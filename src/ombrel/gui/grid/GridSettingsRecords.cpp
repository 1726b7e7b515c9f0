#include "ombrel/gui/grid/GridSettingsRecords.h"

#include "ombrel/base/ArchiveExchange.h"
#include "ombrel/platform/SystemColors.h"

namespace Ombrel::GUI {

namespace {

constexpr std::int32_t kTooltipSettingsVersion = 1;

template <std::size_t N>
void Exchange(CArchive& archive, std::array<bool, N>& flags)
{
    for (bool& flag : flags)
        Exchange(archive, flag);
}

void Exchange(CArchive& archive, CPoint& point)
{
    Exchange(archive, point.x);
    Exchange(archive, point.y);
}

void Exchange(CArchive& archive, CSize& size)
{
    Exchange(archive, size.cx);
    Exchange(archive, size.cy);
}

} // namespace

TooltipSettings::TooltipSettings()
    : backgroundColor(GetSysColor(COLOR_INFOBK)),
      textColor(GetSysColor(COLOR_INFOTEXT)),
      borderColor(GetSysColor(COLOR_ACTIVEBORDER))
{
}

void SerializePasteSettings(CArchive& archive, PasteSettings& s)
{
    Exchange(archive, s.copyFixedRows);
    Exchange(archive, s.copyNormalRows);
    Exchange(archive, s.copyDescendants);
    Exchange(archive, s.copyAllDescendants);
    Exchange(archive, s.cutFixedRows);
    Exchange(archive, s.cutNormalRows);
    Exchange(archive, s.pasteIntoFixedRows);
    Exchange(archive, s.pasteIntoNormalRows);
    Exchange(archive, s.pasteWithoutFocus);
    Exchange(archive, s.pasteAtEndWithoutFocus);
    Exchange(archive, s.importsCreateObjects);
    Exchange(archive, s.positionMode);
    Exchange(archive, s.focusMode);
    Exchange(archive, s.selectionMode);
}

void SerializeDropSettings(CArchive& archive, DropSettings& s)
{
    Exchange(archive, s.dragFlags);
    Exchange(archive, s.acceptIntoFixedRows);
    Exchange(archive, s.acceptIntoNormalRows);
    Exchange(archive, s.copyWithinGrid);
    Exchange(archive, s.moveWithinGrid);
    Exchange(archive, s.copyFromOtherGrid);
    Exchange(archive, s.moveFromOtherGrid);
    Exchange(archive, s.acceptCreatedObjects);
    Exchange(archive, s.showDragImage);
    Exchange(archive, s.markFlags);
    Exchange(archive, s.markColor);
}

void SerializeEditInPlaceSettings(CArchive& archive, EditInPlaceSettings& s)
{
    Exchange(archive, s.enabled);
    Exchange(archive, s.startMode);
    Exchange(archive, s.singleClickAsksReflector);
    Exchange(archive, s.hoverFrameColor);
    Exchange(archive, s.drawHoverFrame);
    Exchange(archive, s.drawEditHints);
    Exchange(archive, s.editHintsEverywhere);
    Exchange(archive, s.keyboardNavigation);
}

bool IsValidTooltipSettings(const TooltipSettings& s)
{
    auto within = [](std::int32_t value, std::int32_t low, std::int32_t high) {
        return value >= low && value <= high;
    };
    auto isColor = [](COLORREF color) { return (color & 0xFF000000u) == 0; };
    return isColor(s.backgroundColor) && isColor(s.textColor) && isColor(s.borderColor) &&
           within(s.initialDelayMs, 0, kMaxTooltipDelayMs) &&
           within(s.displayTimeMs, 0, kMaxTooltipDelayMs) &&
           within(s.cursorOffset.x, -kMaxTooltipOffset, kMaxTooltipOffset) &&
           within(s.cursorOffset.y, -kMaxTooltipOffset, kMaxTooltipOffset) &&
           within(s.textMargins.cx, 0, kMaxTooltipMargin) &&
           within(s.textMargins.cy, 0, kMaxTooltipMargin) &&
           within(s.placement, TooltipAbove, TooltipRight);
}

namespace {

void ExchangeTooltipMembers(CArchive& archive, TooltipSettings& s)
{
    Exchange(archive, s.backgroundColor);
    Exchange(archive, s.textColor);
    Exchange(archive, s.borderColor);
    Exchange(archive, s.initialDelayMs);
    Exchange(archive, s.displayTimeMs);
    Exchange(archive, s.cursorOffset);
    Exchange(archive, s.textMargins);
    Exchange(archive, s.placement);
    Exchange(archive, s.mode);
}

} // namespace

void SerializeTooltipSettings(CArchive& archive, TooltipSettings& s)
{
    SerializeVersionedRecord(archive, s, kTooltipSettingsVersion, "TooltipSettings", ExchangeTooltipMembers,
                             IsValidTooltipSettings);
}

} // namespace Ombrel::GUI
