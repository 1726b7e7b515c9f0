#include "ombrel/common/EmptyFormat.h"

#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

CString CEmptyFormat::Format(const CValue&, void*) const { return CString(); }
bool CEmptyFormat::Parse(const CString&, CValue&, void*) const { return false; }
std::string CEmptyFormat::FormatStl(const CValue&, void*) const { return std::string(); }
bool CEmptyFormat::ParseStl(const std::string&, CValue&, void*) const { return false; }

CEmptyFormat* CEmptyFormat::Clone() const { return new CEmptyFormat(*this); }
std::string CEmptyFormat::GetClassName() const { return "Common::CEmptyFormat"; }
bool CEmptyFormat::IsSerializable() const { return true; }

// The record is the version alone; the kind is not stored.
void CEmptyFormat::Serialize(CSerializer& serializer) { SerializeVersion(serializer); }

} // namespace Ombrel::Common
