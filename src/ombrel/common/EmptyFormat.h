#pragma once

#include "ombrel/common/Format.h"

namespace Ombrel::Common {

// Shows nothing and accepts nothing: the format of kinds without a text form (vtOpaque) and
// of unknown kinds. Its kind is not stored; one restored through the registry has vtEmpty.
class CEmptyFormat : public CFormat
{
public:
    using CFormat::Format;
    using CFormat::FormatStl;
    using CFormat::Parse;
    using CFormat::ParseStl;

    explicit CEmptyFormat(ValueType valueType = vtEmpty) : CFormat(valueType) {}

    CString Format(const CValue& value, void* context = nullptr) const override;
    bool Parse(const CString& text, CValue& out, void* context = nullptr) const override;
    std::string FormatStl(const CValue& value, void* context = nullptr) const override;
    bool ParseStl(const std::string& text, CValue& out, void* context = nullptr) const override;

    CEmptyFormat* Clone() const override;
    std::string GetClassName() const override;
    bool IsSerializable() const override;
    void Serialize(CSerializer& serializer) override;
};

} // namespace Ombrel::Common
