#include "ombrel/common/DefaultMfcStringFormat.h"

#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

CString CDefaultMfcStringFormat::Format(const CString& value, void*) const { return value; }

bool CDefaultMfcStringFormat::Parse(const CString& text, CString& out, void*) const
{
    out = text;
    return true;
}

std::string CDefaultMfcStringFormat::FormatStl(const CString& value, void* context) const
{
    return Format(value, context).ToStdString();
}

bool CDefaultMfcStringFormat::ParseStl(const std::string& text, CString& out, void* context) const
{
    return Parse(CString(text), out, context);
}

CDefaultMfcStringFormat* CDefaultMfcStringFormat::Clone() const { return new CDefaultMfcStringFormat(*this); }
std::string CDefaultMfcStringFormat::GetClassName() const { return "Common::CDefaultMfcStringFormat"; }
bool CDefaultMfcStringFormat::IsSerializable() const { return true; }
void CDefaultMfcStringFormat::Serialize(CSerializer& serializer) { SerializeVersion(serializer); }

} // namespace Ombrel::Common
