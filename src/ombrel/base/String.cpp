#include "ombrel/base/String.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <locale.h>
#include <wctype.h>

namespace Ombrel {
namespace {

constexpr const char* kWhiteSpace = " \t\r\n\v\f";

// Clamps a byte position into [0, size].
std::size_t ClampPosition(int position, std::size_t size)
{
    if (position <= 0) {
        return 0;
    }
    return std::min(static_cast<std::size_t>(position), size);
}

// Case mapping needs a UTF-8 character classification that does not depend on the process
// locale; glibc's "C.UTF-8" maps all of Unicode. Created once, never freed.
locale_t Utf8Locale()
{
    static const locale_t locale = [] {
        locale_t created = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return created ? created : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

// Decodes one UTF-8 character at `text[pos]`. An invalid or truncated sequence yields the
// single byte as its own code (negative, so that it never equals a real character) and
// advances by one byte.
std::int32_t DecodeUtf8(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    int extra = 0;
    std::int32_t code = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else {
        ++pos;
        return -static_cast<std::int32_t>(lead);
    }
    if (pos + static_cast<std::size_t>(extra) >= text.size()) {
        ++pos;
        return -static_cast<std::int32_t>(lead);
    }
    for (int i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return -static_cast<std::int32_t>(lead);
        }
        code = (code << 6) | (next & 0x3F);
    }
    pos += extra + 1;
    return code;
}

void EncodeUtf8(std::int32_t code, std::string& out)
{
    const auto c = static_cast<std::uint32_t>(code);
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

template <typename Map>
std::string MapCase(std::string_view text, Map map)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const std::int32_t code = DecodeUtf8(text, pos);
        if (code < 0) {
            out.append(text.substr(start, pos - start));
        } else {
            EncodeUtf8(static_cast<std::int32_t>(map(static_cast<wint_t>(code), Utf8Locale())), out);
        }
    }
    return out;
}

std::string VFormat(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    char small[256];
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) {
        return {};
    }
    if (static_cast<std::size_t>(needed) < sizeof small) {
        return std::string(small, static_cast<std::size_t>(needed));
    }
    std::string out(static_cast<std::size_t>(needed) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<std::size_t>(needed));
    return out;
}

} // namespace

CString::CString(const char* text) : m_text(text ? text : "") {}

CString::CString(const char* text, int length)
{
    if (text && length > 0) {
        m_text.assign(text, static_cast<std::size_t>(length));
    }
}

CString::CString(char ch, int repeat)
{
    if (repeat > 0) {
        m_text.assign(static_cast<std::size_t>(repeat), ch);
    }
}

char CString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength()) {
        return '\0';
    }
    return m_text[static_cast<std::size_t>(index)];
}

void CString::SetAt(int index, char ch)
{
    if (index >= 0 && index < GetLength()) {
        m_text[static_cast<std::size_t>(index)] = ch;
    }
}

int CString::Compare(const char* other) const
{
    const int result = m_text.compare(other ? other : "");
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* other) const
{
    return CompareUtf8NoCase(m_text, other ? other : "");
}

CString& CString::operator+=(const CString& other)
{
    m_text += other.m_text;
    return *this;
}

CString& CString::operator+=(const char* other)
{
    if (other) {
        m_text += other;
    }
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_text += ch;
    return *this;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    m_text = format ? VFormat(format, args) : std::string();
    va_end(args);
}

void CString::AppendFormat(const char* format, ...)
{
    if (!format) {
        return;
    }
    va_list args;
    va_start(args, format);
    m_text += VFormat(format, args);
    va_end(args);
}

CString CString::Left(int count) const
{
    return CString(m_text.substr(0, ClampPosition(count, m_text.size())));
}

CString CString::Mid(int first) const
{
    return CString(m_text.substr(ClampPosition(first, m_text.size())));
}

CString CString::Mid(int first, int count) const
{
    const std::size_t start = ClampPosition(first, m_text.size());
    return CString(m_text.substr(start, ClampPosition(count, m_text.size() - start)));
}

CString CString::Right(int count) const
{
    const std::size_t n = ClampPosition(count, m_text.size());
    return CString(m_text.substr(m_text.size() - n));
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start > GetLength()) {
        return -1;
    }
    const std::size_t pos = m_text.find(ch, static_cast<std::size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength()) {
        return -1;
    }
    const std::size_t pos = m_text.find(sub, static_cast<std::size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const
{
    const std::size_t pos = m_text.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Replace(const char* from, const char* to)
{
    if (!from || !*from) {
        return 0;
    }
    const std::string_view needle(from);
    const std::string_view replacement(to ? to : "");
    std::string out;
    int count = 0;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = m_text.find(needle, pos)) != std::string::npos;
         pos = hit + needle.size()) {
        out.append(m_text, pos, hit - pos);
        out.append(replacement);
        ++count;
    }
    if (count > 0) {
        out.append(m_text, pos, std::string::npos);
        m_text = std::move(out);
    }
    return count;
}

CString& CString::Trim() { return Trim(kWhiteSpace); }
CString& CString::TrimLeft() { return TrimLeft(kWhiteSpace); }
CString& CString::TrimRight() { return TrimRight(kWhiteSpace); }

CString& CString::Trim(const char* characters)
{
    return TrimRight(characters).TrimLeft(characters);
}

CString& CString::TrimLeft(const char* characters)
{
    const std::size_t first = m_text.find_first_not_of(characters ? characters : "");
    m_text.erase(0, first == std::string::npos ? m_text.size() : first);
    return *this;
}

CString& CString::TrimRight(const char* characters)
{
    const std::size_t last = m_text.find_last_not_of(characters ? characters : "");
    m_text.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::MakeUpper()
{
    m_text = MapCase(m_text, [](wint_t c, locale_t l) { return towupper_l(c, l); });
    return *this;
}

CString& CString::MakeLower()
{
    m_text = MapCase(m_text, [](wint_t c, locale_t l) { return towlower_l(c, l); });
    return *this;
}

bool operator==(const CString& a, const CString& b) { return a.View() == b.View(); }
bool operator==(const CString& a, const char* b) { return a.View() == std::string_view(b ? b : ""); }
bool operator<(const CString& a, const CString& b) { return a.View() < b.View(); }

CString operator+(const CString& a, const CString& b)
{
    CString out(a);
    out += b;
    return out;
}

CString operator+(const CString& a, const char* b)
{
    CString out(a);
    out += b;
    return out;
}

CString operator+(const char* a, const CString& b)
{
    CString out(a);
    out += b;
    return out;
}

CString operator+(const CString& a, char b)
{
    CString out(a);
    out += b;
    return out;
}

int CompareUtf8NoCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        std::int32_t ca = DecodeUtf8(a, i);
        std::int32_t cb = DecodeUtf8(b, j);
        if (ca >= 0) {
            ca = static_cast<std::int32_t>(towlower_l(static_cast<wint_t>(ca), Utf8Locale()));
        }
        if (cb >= 0) {
            cb = static_cast<std::int32_t>(towlower_l(static_cast<wint_t>(cb), Utf8Locale()));
        }
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (i < a.size()) {
        return 1;
    }
    return j < b.size() ? -1 : 0;
}

} // namespace Ombrel
