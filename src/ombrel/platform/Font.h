#pragma once

#include "ombrel/platform/GdiObject.h"
#include "ombrel/platform/GdiTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Ombrel {

class CDC;

constexpr int LF_FACESIZE = 32;

// Weights (lfWeight).
constexpr std::int32_t FW_DONTCARE = 0;
constexpr std::int32_t FW_THIN = 100;
constexpr std::int32_t FW_LIGHT = 300;
constexpr std::int32_t FW_NORMAL = 400;
constexpr std::int32_t FW_MEDIUM = 500;
constexpr std::int32_t FW_SEMIBOLD = 600;
constexpr std::int32_t FW_BOLD = 700;
constexpr std::int32_t FW_HEAVY = 900;

// Qualities (lfQuality).
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;

// Pitch (low two bits) and family (high four bits) of lfPitchAndFamily.
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;

constexpr BYTE DEFAULT_CHARSET = 1;

// The 60-byte description of a font, laid out as on the platform so that stored
// descriptions keep their meaning. lfHeight < 0: character (em) height in pixels;
// lfHeight > 0: cell height (ascent + descent) in pixels; 0: the default height.
// lfFaceName holds UTF-8, terminated by a zero byte unless all 32 bytes are used.
struct LOGFONT
{
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};

static_assert(sizeof(LOGFONT) == 60, "LOGFONT must keep the platform's 60-byte layout");
static_assert(offsetof(LOGFONT, lfItalic) == 20 && offsetof(LOGFONT, lfFaceName) == 28,
              "LOGFONT fields must keep the platform's offsets");

// A font made from a LOGFONT description. The description is kept as given and returned
// unchanged by GetLogFont; how it maps to a real font happens when the font is drawn with.
class CFont : public CGdiObject
{
public:
    CFont();
    ~CFont() override;
    CFont(const CFont& other);
    CFont& operator=(const CFont& other);
    CFont(CFont&& other) noexcept;
    CFont& operator=(CFont&& other) noexcept;

    bool CreateFontIndirect(const LOGFONT* logFont);
    bool CreateFontIndirect(const LOGFONT& logFont) { return CreateFontIndirect(&logFont); }
    // pointSize in tenths of a point; the pixel height uses the vertical resolution of `dc`
    // (the screen's when null). An empty or null face name leaves the face to the system.
    bool CreatePointFont(int pointSize, const char* faceName, CDC* dc = nullptr);
    // DEFAULT_GUI_FONT or SYSTEM_FONT: a copy of the default GUI font.
    bool CreateStockObject(int index);

    // Copies the description; returns sizeof(LOGFONT), or 0 when the font is not created.
    int GetLogFont(LOGFONT* logFont) const;
    bool GetLogFont(LOGFONT& logFont) const { return GetLogFont(&logFont) != 0; }

    const void* GetSafeHandle() const override;
    bool DeleteObject() override;

private:
    friend class QtDrawingAccess;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The platform's default GUI font (the application font), created on first use and alive
// until process exit. Call it first on the window thread.
CFont* GetDefaultGuiFont();

} // namespace Ombrel
