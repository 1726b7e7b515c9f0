#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Ombrel {

// The framework's 8-bit character string: a value type holding UTF-8 bytes.
//
// Positions and lengths count bytes, as the framework string always did; a position past the
// end is clamped, never an error. Text operations are byte-exact except the case operations
// (MakeUpper, MakeLower, CompareNoCase), which map whole UTF-8 characters.
class CString
{
public:
    CString() = default;
    CString(const char* text);                   // null reads as the empty string
    CString(const char* text, int length);       // the first `length` bytes (negative: none)
    CString(const std::string& text) : m_text(text) {}
    CString(std::string&& text) : m_text(std::move(text)) {}
    CString(std::string_view text) : m_text(text) {}
    CString(char ch, int repeat = 1);

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    char GetAt(int index) const;                 // 0 for an index outside the string
    void SetAt(int index, char ch);              // ignored outside the string
    char operator[](int index) const { return GetAt(index); }

    const char* GetString() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }
    const std::string& ToStdString() const { return m_text; }
    std::string_view View() const { return m_text; }

    // Byte-wise comparison: negative, zero or positive.
    int Compare(const char* other) const;
    // Case-insensitive comparison of UTF-8 characters (simple case folding).
    int CompareNoCase(const char* other) const;

    CString& operator+=(const CString& other);
    CString& operator+=(const char* other);
    CString& operator+=(char ch);

    // printf-style formatting into this string; any result length is safe.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;

    // Byte position of the first match at or after `start`, or -1.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;

    // Replaces every occurrence of `from` (non-empty) with `to`; returns the count.
    int Replace(const char* from, const char* to);

    // Trimming without an argument removes ASCII white space.
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim(const char* characters);
    CString& TrimLeft(const char* characters);
    CString& TrimRight(const char* characters);

    CString& MakeUpper();
    CString& MakeLower();

private:
    std::string m_text;
};

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator<(const CString& a, const CString& b);
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, const char* b) { return !(a == b); }
inline bool operator>(const CString& a, const CString& b) { return b < a; }
inline bool operator<=(const CString& a, const CString& b) { return !(b < a); }
inline bool operator>=(const CString& a, const CString& b) { return !(a < b); }

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);

// Case-insensitive comparison of two UTF-8 byte strings with simple case folding; invalid
// bytes compare as themselves. Used for type-ahead search and CString::CompareNoCase.
int CompareUtf8NoCase(std::string_view a, std::string_view b);

} // namespace Ombrel
