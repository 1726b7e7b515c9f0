#pragma once

#include "ombrel/common/Format.h"

namespace Ombrel::Common {

// "true" and "false". Parsing ignores case and blanks, and succeeds for every text: only
// "true" gives true.
class CBoolFormat : public CFormat
{
public:
    using CFormat::Format;
    using CFormat::FormatStl;
    using CFormat::Parse;
    using CFormat::ParseStl;

    CBoolFormat() : CFormat(vtBool) {}

    CString Format(bool value, void* context = nullptr) const override;
    bool Parse(const CString& text, bool& out, void* context = nullptr) const override;
    std::string FormatStl(bool value, void* context = nullptr) const override;
    bool ParseStl(const std::string& text, bool& out, void* context = nullptr) const override;

    CBoolFormat* Clone() const override;
    std::string GetClassName() const override;
    bool IsSerializable() const override;
    void Serialize(CSerializer& serializer) override;
};

} // namespace Ombrel::Common
