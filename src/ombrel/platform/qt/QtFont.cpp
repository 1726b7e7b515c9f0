#include "ombrel/platform/DC.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/QtGdiObjects.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace Ombrel {

namespace {

// Pixel sizes outside this range are clamped: a description is stored data and may hold
// anything, but a font must stay drawable.
constexpr int kMaxPixelSize = 2048;

int ClampPixelSize(std::int64_t pixels)
{
    return static_cast<int>(std::clamp<std::int64_t>(pixels, 1, kMaxPixelSize));
}

// The face name as text: at most LF_FACESIZE bytes, up to the first zero byte.
QString FaceNameOf(const LOGFONT& logFont)
{
    const char* face = logFont.lfFaceName;
    const std::size_t length =
        static_cast<std::size_t>(std::find(face, face + LF_FACESIZE, '\0') - face);
    return QString::fromUtf8(face, static_cast<qsizetype>(length));
}

// Copies `utf8` into the face name, cut at a character boundary so that a zero byte remains.
void SetFaceName(LOGFONT& logFont, const QByteArray& utf8)
{
    std::size_t length = std::min<std::size_t>(utf8.size(), LF_FACESIZE - 1);
    // Do not end inside a multi-byte sequence: back up over continuation bytes and the
    // lead byte of a cut sequence.
    if (length < static_cast<std::size_t>(utf8.size())) {
        while (length > 0 && (static_cast<unsigned char>(utf8[qsizetype(length)]) & 0xC0) == 0x80) {
            --length;
        }
    }
    std::memset(logFont.lfFaceName, 0, LF_FACESIZE);
    std::memcpy(logFont.lfFaceName, utf8.constData(), length);
}

QFont::StyleHint StyleHintOf(BYTE pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case FF_ROMAN:
        return QFont::Serif;
    case FF_SWISS:
        return QFont::SansSerif;
    case FF_MODERN:
        return QFont::Monospace;
    case FF_SCRIPT:
        return QFont::Cursive;
    case FF_DECORATIVE:
        return QFont::Decorative;
    default:
        return QFont::AnyStyle;
    }
}

BYTE FamilyOf(QFont::StyleHint hint)
{
    switch (hint) {
    case QFont::Serif:
        return FF_ROMAN;
    case QFont::SansSerif:
        return FF_SWISS;
    case QFont::Monospace:
    case QFont::TypeWriter:
        return FF_MODERN;
    case QFont::Cursive:
        return FF_SCRIPT;
    case QFont::Decorative:
        return FF_DECORATIVE;
    default:
        return FF_DONTCARE;
    }
}

LOGFONT FallbackGuiDescription()
{
    LOGFONT logFont;
    logFont.lfHeight = -12;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    SetFaceName(logFont, QByteArrayLiteral("Sans Serif"));
    return logFont;
}

// The character height in pixels that a description asks for.
int EmPixelsOf(const QFont& base, const LOGFONT& logFont)
{
    const std::int64_t height = logFont.lfHeight;
    if (height < 0) {
        return ClampPixelSize(-height);
    }
    if (height == 0) {
        LOGFONT defaultFont;
        GetDefaultGuiFont()->GetLogFont(&defaultFont);
        return defaultFont.lfHeight < 0 ? ClampPixelSize(-std::int64_t{defaultFont.lfHeight}) : 12;
    }
    // A cell height: scale the character height so that ascent + descent comes out as asked.
    QFont probe = base;
    const int trial = ClampPixelSize(height);
    probe.setPixelSize(trial);
    const QFontMetrics metrics(probe);
    const int cell = metrics.ascent() + metrics.descent();
    if (cell <= 0) {
        return trial;
    }
    return ClampPixelSize(std::llround(double(trial) * double(trial) / double(cell)));
}

QFont MakeQFont(const LOGFONT& logFont)
{
    QFont font;
    const QString face = FaceNameOf(logFont);
    if (!face.isEmpty()) {
        font.setFamilies({face});
    }
    font.setStyleHint(StyleHintOf(logFont.lfPitchAndFamily));
    if ((logFont.lfPitchAndFamily & 0x3) == FIXED_PITCH) {
        font.setFixedPitch(true);
    }
    const std::int32_t weight = logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : logFont.lfWeight;
    font.setWeight(static_cast<QFont::Weight>(std::clamp<std::int32_t>(weight, 1, 1000)));
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);
    if (logFont.lfQuality == NONANTIALIASED_QUALITY) {
        font.setStyleStrategy(QFont::NoAntialias);
    } else if (logFont.lfQuality == ANTIALIASED_QUALITY) {
        font.setStyleStrategy(QFont::PreferAntialias);
    }
    font.setPixelSize(EmPixelsOf(font, logFont));
    if (logFont.lfWidth > 0) {
        // lfWidth is the wanted average character width: stretch the font to it.
        const int average = QFontMetrics(font).averageCharWidth();
        if (average > 0) {
            const double stretch = 100.0 * logFont.lfWidth / average;
            font.setStretch(static_cast<int>(std::clamp(std::lround(stretch), 1L, 4000L)));
        }
    }
    return font;
}

// Guards the cached Qt font of every CFont: the default GUI font is one object shared by the
// whole process, and filling its cache is a write. Recursive because making a Qt font may
// create the default GUI font, which copies a CFont.
std::recursive_mutex& FontCacheMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

} // namespace

CFont::CFont() : m_impl(std::make_unique<Impl>()) {}

CFont::~CFont() = default;

CFont::CFont(const CFont& other) : CGdiObject(other), m_impl(std::make_unique<Impl>())
{
    const std::lock_guard lock(FontCacheMutex());
    *m_impl = *other.m_impl;
}

CFont& CFont::operator=(const CFont& other)
{
    if (this != &other) {
        const std::lock_guard lock(FontCacheMutex());
        *m_impl = *other.m_impl;
    }
    return *this;
}

CFont::CFont(CFont&& other) noexcept : m_impl(std::make_unique<Impl>())
{
    const std::lock_guard lock(FontCacheMutex());
    *m_impl = std::move(*other.m_impl);
}

CFont& CFont::operator=(CFont&& other) noexcept
{
    if (this != &other) {
        const std::lock_guard lock(FontCacheMutex());
        *m_impl = std::move(*other.m_impl);
    }
    return *this;
}

bool CFont::CreateFontIndirect(const LOGFONT* logFont)
{
    if (!logFont) {
        return false;
    }
    m_impl->logFont = *logFont;
    m_impl->created = true;
    m_impl->qtFont.reset();
    return true;
}

bool CFont::CreatePointFont(int pointSize, const char* faceName, CDC* dc)
{
    if (pointSize <= 0) {
        return false;
    }
    const int dpi = dc && dc->GetSafeHdc() ? dc->GetDeviceCaps(LOGPIXELSY) : ScreenDpiY();
    LOGFONT logFont;
    logFont.lfHeight = -static_cast<std::int32_t>(
        std::min<std::int64_t>((std::int64_t{pointSize} * dpi + 360) / 720, kMaxPixelSize));
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    SetFaceName(logFont, QByteArray(faceName ? faceName : ""));
    return CreateFontIndirect(&logFont);
}

bool CFont::CreateStockObject(int index)
{
    if (index != DEFAULT_GUI_FONT && index != SYSTEM_FONT) {
        return false;
    }
    *this = *GetDefaultGuiFont();
    return true;
}

int CFont::GetLogFont(LOGFONT* logFont) const
{
    if (!logFont || !m_impl->created) {
        return 0;
    }
    *logFont = m_impl->logFont;
    return static_cast<int>(sizeof(LOGFONT));
}

const void* CFont::GetSafeHandle() const
{
    return m_impl->created ? m_impl.get() : nullptr;
}

bool CFont::DeleteObject()
{
    const bool wasCreated = m_impl->created;
    *m_impl = Impl();
    return wasCreated;
}

CFont* GetDefaultGuiFont()
{
    static CFont font = [] {
        CFont made = CanUseFonts() ? FromQFont(QGuiApplication::font()) : CFont();
        if (!made.GetSafeHandle()) {
            const LOGFONT fallback = FallbackGuiDescription();
            made.CreateFontIndirect(&fallback);
        }
        return made;
    }();
    return &font;
}

QFont ToQFont(const CFont& font)
{
    const auto* impl = QtDrawingAccess::ImplOf(font);
    const LOGFONT logFont = impl->created ? impl->logFont : FallbackGuiDescription();
    if (!CanUseFonts()) {
        return QFont(FaceNameOf(logFont));
    }
    if (!impl->created) {
        return ToQFont(*GetDefaultGuiFont());
    }
    const std::lock_guard lock(FontCacheMutex());
    if (!impl->qtFont) {
        impl->qtFont = MakeQFont(logFont);
    }
    return *impl->qtFont;
}

CFont FromQFont(const QFont& font)
{
    LOGFONT logFont;
    int pixels = font.pixelSize();
    if (pixels <= 0) {
        const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
        pixels = static_cast<int>(std::lround(points * ScreenDpiY() / 72.0));
    }
    logFont.lfHeight = -ClampPixelSize(pixels);
    logFont.lfWeight = static_cast<std::int32_t>(font.weight());
    logFont.lfItalic = font.italic() ? 1 : 0;
    logFont.lfUnderline = font.underline() ? 1 : 0;
    logFont.lfStrikeOut = font.strikeOut() ? 1 : 0;
    logFont.lfCharSet = DEFAULT_CHARSET;
    if (font.styleStrategy() & QFont::NoAntialias) {
        logFont.lfQuality = NONANTIALIASED_QUALITY;
    } else if (font.styleStrategy() & QFont::PreferAntialias) {
        logFont.lfQuality = ANTIALIASED_QUALITY;
    }
    logFont.lfPitchAndFamily = static_cast<BYTE>(
        (font.fixedPitch() ? FIXED_PITCH : VARIABLE_PITCH) | FamilyOf(font.styleHint()));
    const QStringList families = font.families();
    SetFaceName(logFont, (families.isEmpty() ? font.family() : families.first()).toUtf8());
    CFont result;
    result.CreateFontIndirect(&logFont);
    return result;
}

} // namespace Ombrel
