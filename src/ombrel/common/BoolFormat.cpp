#include "ombrel/common/BoolFormat.h"

#include <algorithm>

#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

namespace {

const std::string& TextOf(bool value)
{
    static const std::string trueText = "true";
    static const std::string falseText = "false";
    return value ? trueText : falseText;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

} // namespace

CString CBoolFormat::Format(bool value, void* context) const { return CString(FormatStl(value, context)); }

bool CBoolFormat::Parse(const CString& text, bool& out, void* context) const
{
    return ParseStl(text.ToStdString(), out, context);
}

std::string CBoolFormat::FormatStl(bool value, void*) const { return TextOf(value); }

// Always succeeds: any text other than "true" (ignoring ASCII case and blanks) means false.
bool CBoolFormat::ParseStl(const std::string& text, bool& out, void*) const
{
    std::string cleaned;
    cleaned.reserve(text.size());
    for (char ch : text)
    {
        if (IsBlank(ch))
            continue;
        cleaned += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    }
    out = cleaned == TextOf(true);
    return true;
}

CBoolFormat* CBoolFormat::Clone() const { return new CBoolFormat(*this); }
std::string CBoolFormat::GetClassName() const { return "Common::CBoolFormat"; }
bool CBoolFormat::IsSerializable() const { return true; }
void CBoolFormat::Serialize(CSerializer& serializer) { SerializeVersion(serializer); }

} // namespace Ombrel::Common
