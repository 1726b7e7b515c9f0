// The grid's stored state: settings, header and sort state, written and read in one fixed
// order.

#include "ombrel/gui/grid/detail/GridImpl.h"

#include "ombrel/base/ArchiveExchange.h"
#include "ombrel/gui/grid/detail/GridPainter.h"
#include "ombrel/gui/grid/detail/GridOperationRunner.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/grid/GridSelection.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/services/detail/GridTooltips.h"
#include "ombrel/platform/Font.h"

#include <algorithm>

// The switch over the state operations must name every one of them.
#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

namespace {

// The facade's and the implementation's layout versions; a reader refuses newer ones.
constexpr std::int32_t kGridStateVersion = 1;
constexpr std::int32_t kImplStateVersion = 1;

// Row heights and separator bands outside these bounds come only from damaged data; they are
// ignored so that geometry sums stay far from overflow.
constexpr std::int32_t kMaxRowHeight = 0x7FFF;
constexpr std::int32_t kMaxSeparatorThickness = 0x7FFF;

// A flag stored as a 32-bit number (any non-zero value reads as set).
void ExchangeWideFlag(CArchive& archive, bool& flag)
{
    std::int32_t stored = flag ? 1 : 0;
    Exchange(archive, stored);
    flag = stored != 0;
}

// A flag stored as one byte.
void ExchangeByteFlag(CArchive& archive, bool& flag)
{
    std::uint8_t stored = flag ? 1 : 0;
    Exchange(archive, stored);
    flag = stored != 0;
}

void ExchangeAppearance(CArchive& archive, GridAppearance& a)
{
    Exchange(archive, a.oddText);
    Exchange(archive, a.evenText);
    Exchange(archive, a.oddBackground);
    Exchange(archive, a.evenBackground);
    Exchange(archive, a.verticalLineColor);
    Exchange(archive, a.horizontalLineColor);
    Exchange(archive, a.selectionColor);
    Exchange(archive, a.selectionAlpha);
    Exchange(archive, a.focusColor);
    Exchange(archive, a.focusAlpha);
    Exchange(archive, a.sortColumnColor);
    Exchange(archive, a.sortColumnAlpha);
    Exchange(archive, a.overlayColor);
    Exchange(archive, a.overlayAlpha);
    ExchangeByteFlag(archive, a.drawVerticalLines);
    ExchangeByteFlag(archive, a.drawHorizontalLines);
}

void ExchangeHighlight(CArchive& archive, HighlightSettings& h)
{
    Exchange(archive, h.durationMs);
    Exchange(archive, h.textColor);
    Exchange(archive, h.backgroundColor);
    Exchange(archive, h.textAlpha);
    Exchange(archive, h.backgroundAlpha);
    Exchange(archive, h.repaintIntervalMs);
    Exchange(archive, h.style);
}

// The 60-byte font description, field by field.
void ExchangeFontDescription(CArchive& archive, LOGFONT& font)
{
    Exchange(archive, font.lfHeight);
    Exchange(archive, font.lfWidth);
    Exchange(archive, font.lfEscapement);
    Exchange(archive, font.lfOrientation);
    Exchange(archive, font.lfWeight);
    Exchange(archive, font.lfItalic);
    Exchange(archive, font.lfUnderline);
    Exchange(archive, font.lfStrikeOut);
    Exchange(archive, font.lfCharSet);
    Exchange(archive, font.lfOutPrecision);
    Exchange(archive, font.lfClipPrecision);
    Exchange(archive, font.lfQuality);
    Exchange(archive, font.lfPitchAndFamily);
    if (archive.IsStoring())
        archive.Write(font.lfFaceName, sizeof(font.lfFaceName));
    else
        archive.Read(font.lfFaceName, sizeof(font.lfFaceName));
}

void ExchangeVersion(CArchive& archive, std::int32_t& version, std::int32_t current)
{
    version = current;
    Exchange(archive, version);
    if (archive.IsLoading() && version > current)
        throw CArchiveException(CArchiveException::badSchema, "CGrid");
}

} // namespace

// Everything stored after the header, read completely before any of it is applied, so that a
// truncated or damaged archive leaves the grid's settings as they were.
struct CGridImpl::StoredSettings
{
    bool showHeader = true;
    std::int32_t fixedRowHeight = 0;
    std::int32_t normalRowHeight = 0;
    std::int32_t focusableTypes = 3;
    GridAppearance appearance;
    std::uint32_t paintOptions = 0;
    bool doubleBuffer = true;
    bool hasFont = false;
    LOGFONT font;
    bool stretchImages = false;
    std::uint8_t tooltipKind = 1;
    bool selectionEnabled = true;
    bool multipleSelection = true;
    std::int32_t selectableTypes = 3;
    bool buttonsOnAllRows = false;
    HighlightSettings highlight;
    bool showSeparator = true;
    std::int32_t separatorThickness = 2;
    PasteSettings paste;
    bool pasteEnabled = true;
    DropSettings drop;
    bool dropOption = false;
    std::int32_t sortedTypes = 0;
    std::int32_t keyboardTypes = 3;
    std::uint32_t typeAheadTimeoutMs = 1000;
    EditInPlaceSettings edit;
    TooltipSettings tooltip;
    TooltipSettings inPlaceTooltip;

    void Exchange(CArchive& archive);
};

void CGridImpl::StoredSettings::Exchange(CArchive& archive)
{
    ExchangeWideFlag(archive, showHeader);
    // The containers' state: the default height their rows get.
    Ombrel::Exchange(archive, fixedRowHeight);
    Ombrel::Exchange(archive, normalRowHeight);
    Ombrel::Exchange(archive, focusableTypes);
    ExchangeAppearance(archive, appearance);
    Ombrel::Exchange(archive, paintOptions);
    ExchangeWideFlag(archive, doubleBuffer);
    ExchangeWideFlag(archive, hasFont);
    if (hasFont)
        ExchangeFontDescription(archive, font);
    ExchangeWideFlag(archive, stretchImages);
    Ombrel::Exchange(archive, tooltipKind);
    ExchangeByteFlag(archive, selectionEnabled);
    ExchangeByteFlag(archive, multipleSelection);
    Ombrel::Exchange(archive, selectableTypes);
    ExchangeByteFlag(archive, buttonsOnAllRows);
    ExchangeHighlight(archive, highlight);
    ExchangeByteFlag(archive, showSeparator);
    Ombrel::Exchange(archive, separatorThickness);
    SerializePasteSettings(archive, paste);
    ExchangeByteFlag(archive, pasteEnabled);
    SerializeDropSettings(archive, drop);
    ExchangeByteFlag(archive, dropOption);
    Ombrel::Exchange(archive, sortedTypes);
    Ombrel::Exchange(archive, keyboardTypes);
    Ombrel::Exchange(archive, typeAheadTimeoutMs);
    SerializeEditInPlaceSettings(archive, edit);
    SerializeTooltipSettings(archive, tooltip);
    SerializeTooltipSettings(archive, inPlaceTooltip);
}

LRESULT CGridImpl::RunStateOperation(GridStateOperation op, LPARAM p)
{
    switch (op) {
    case GridStateOperation::Serialize:
        return Detail::Run<GridOperation::Serialize>(p, [&](CArchive* archive) {
            if (archive)
                Serialize(*archive);
        });
    }
    return 0;
}

void CGridImpl::Serialize(CArchive& archive)
{
    // Services hear of the state only once the grid's own records are complete, so that they
    // read the settings records the grid just stored or restored.
    if (archive.IsStoring()) {
        StoreState(archive);
        EachService([&](IGridService& service) { service.OnStateStored(archive); });
    } else {
        LoadState(archive);
        EachService([&](IGridService& service) { service.OnStateRestored(archive); });
    }
}

void CGridImpl::StoreState(CArchive& archive)
{
    std::int32_t version = 0;
    ExchangeVersion(archive, version, kGridStateVersion);
    ExchangeVersion(archive, version, kImplStateVersion);

    CHeader* header = m_options.header;
    bool hasHeader = header != nullptr;
    ExchangeWideFlag(archive, hasHeader);
    if (header)
        archive.WriteObject(header);

    StoredSettings s;
    s.showHeader = m_options.showHeader;
    s.fixedRowHeight = m_rows->GetContainer(ROW_FIXED).GetDefaultRowHeight();
    s.normalRowHeight = m_rows->GetContainer(ROW_NORMAL).GetDefaultRowHeight();
    s.focusableTypes = m_options.focusableTypes;
    s.appearance = m_appearance;
    s.paintOptions = m_options.paintOptions;
    s.doubleBuffer = m_options.doubleBuffer;
    CFont* font = HasWindow() ? m_grid.CWnd::GetFont() : m_ownFont.get();
    s.hasFont = font != nullptr && font->GetLogFont(&s.font) != 0;
    s.stretchImages = m_stretchImages;
    s.tooltipKind = static_cast<std::uint8_t>(m_tooltips->GetKind());
    s.selectionEnabled = m_options.selectionEnabled;
    s.multipleSelection = m_options.multipleSelection;
    s.selectableTypes = m_options.selectableTypes;
    s.buttonsOnAllRows = m_options.buttonsOnAllRows;
    s.highlight = m_highlight;
    s.showSeparator = m_options.showSeparator;
    s.separatorThickness = m_options.separatorThickness;
    s.paste = m_pasteSettings;
    s.pasteEnabled = m_pasteEnabled;
    s.drop = m_dropSettings;
    s.dropOption = m_dropOption;
    s.sortedTypes = m_rows->GetSortedTypes();
    s.keyboardTypes = m_options.keyboardTypes;
    s.typeAheadTimeoutMs = m_options.typeAheadTimeoutMs;
    s.edit = m_editSettings;
    s.tooltip = *m_tooltips->GetSettings();
    s.inPlaceTooltip = *m_tooltips->GetInPlaceSettings();
    s.Exchange(archive);
}

void CGridImpl::LoadState(CArchive& archive)
{
    std::int32_t version = 0;
    ExchangeVersion(archive, version, kGridStateVersion);
    if (version <= 0)
        return;
    ExchangeVersion(archive, version, kImplStateVersion);
    if (version <= 0)
        return;
    LoadHeader(archive);
    StoredSettings s;
    // A tooltip record stored with version 0 holds nothing and leaves the current one.
    s.tooltip = *m_tooltips->GetSettings();
    s.inPlaceTooltip = *m_tooltips->GetInPlaceSettings();
    s.Exchange(archive);
    if (!IsValidTooltipKind(s.tooltipKind))
        throw CArchiveException(CArchiveException::genericException, "tooltip kind");
    ApplySettings(s);
    FinishLoading();
}

void CGridImpl::LoadHeader(CArchive& archive)
{
    bool hasHeader = false;
    ExchangeWideFlag(archive, hasHeader);
    CHeader* current = m_options.header;
    if (!hasHeader) {
        if (current) {
            SetHeader(nullptr);
            if (current->IsAutoDelete())
                delete current;
        }
        return;
    }
    const CRuntimeClass* stored = archive.ReadClass(RUNTIME_CLASS(CHeader));
    if (stored == nullptr)
        throw CArchiveException(CArchiveException::badClass, "header");
    if (current && current->GetRuntimeClass() == stored) {
        current->Serialize(archive);
        return;
    }
    std::unique_ptr<CObject> created(stored->CreateObject());
    auto* loaded = dynamic_cast<CHeader*>(created.get());
    if (loaded == nullptr)
        throw CArchiveException(CArchiveException::badClass, stored->m_lpszClassName);
    loaded->Serialize(archive);
    created.release();
    SetHeader(loaded);
    if (current && current->IsAutoDelete())
        delete current;
}

void CGridImpl::ApplySettings(const StoredSettings& s)
{
    m_options.showHeader = s.showHeader;
    for (auto [rowType, height] : {std::pair{ROW_FIXED, s.fixedRowHeight},
                                   std::pair{ROW_NORMAL, s.normalRowHeight}}) {
        CItemContainer& container = m_rows->GetContainer(rowType);
        if (height > 0 && height <= kMaxRowHeight && height != container.GetDefaultRowHeight())
            container.SetDefaultRowHeight(height);
    }
    SetFocusableTypes(s.focusableTypes);
    m_appearance = s.appearance;
    m_options.paintOptions = s.paintOptions;
    m_options.doubleBuffer = s.doubleBuffer;
    if (s.hasFont)
        SetOwnFont(s.font);
    m_stretchImages = s.stretchImages;
    EnableSelection(s.selectionEnabled);
    EnableMultipleSelection(s.multipleSelection);
    SetSelectableTypes(s.selectableTypes);
    m_options.buttonsOnAllRows = s.buttonsOnAllRows;
    m_highlight = s.highlight;
    m_options.showSeparator = s.showSeparator;
    if (s.separatorThickness >= 0 && s.separatorThickness <= kMaxSeparatorThickness)
        m_options.separatorThickness = s.separatorThickness;
    m_pasteSettings = s.paste;
    m_pasteEnabled = s.pasteEnabled;
    m_dropSettings = s.drop;
    m_dropOption = s.dropOption;
    m_rows->SetSortedTypes(s.sortedTypes);
    m_options.keyboardTypes = s.keyboardTypes;
    m_options.typeAheadTimeoutMs = s.typeAheadTimeoutMs;
    m_editSettings = s.edit;
    m_tooltips->Restore(s.tooltipKind, s.tooltip, s.inPlaceTooltip);
}

void CGridImpl::SetOwnFont(const LOGFONT& description)
{
    auto font = std::make_unique<CFont>();
    if (!font->CreateFontIndirect(description))
        return;
    // The window switches to the new font before the old one is released.
    if (HasWindow())
        m_grid.SetFont(font.get(), true);
    m_ownFont = std::move(font);
}

void CGridImpl::FinishLoading()
{
    m_selection->SetFocus(-1, ROW_DETACHED, true);
    m_rows->Resort();
    m_painter->RebuildResources();
    if (HasWindow()) {
        m_layout->UpdateLayout();
        Invalidate();
    }
}

} // namespace Ombrel::GUI
