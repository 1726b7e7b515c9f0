#include "ombrel/common/DefaultStlStringFormat.h"

#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

CString CDefaultStlStringFormat::Format(const std::string& value, void* context) const
{
    return CString(FormatStl(value, context));
}

bool CDefaultStlStringFormat::Parse(const CString& text, std::string& out, void* context) const
{
    return ParseStl(text.ToStdString(), out, context);
}

std::string CDefaultStlStringFormat::FormatStl(const std::string& value, void*) const { return value; }

bool CDefaultStlStringFormat::ParseStl(const std::string& text, std::string& out, void*) const
{
    out = text;
    return true;
}

CDefaultStlStringFormat* CDefaultStlStringFormat::Clone() const { return new CDefaultStlStringFormat(*this); }
std::string CDefaultStlStringFormat::GetClassName() const { return "Common::CDefaultStlStringFormat"; }
bool CDefaultStlStringFormat::IsSerializable() const { return true; }
void CDefaultStlStringFormat::Serialize(CSerializer& serializer) { SerializeVersion(serializer); }

} // namespace Ombrel::Common
