#pragma once

#include "ombrel/common/Format.h"

namespace Ombrel::Common {

// Passes standard strings through unchanged, in both directions.
class CDefaultStlStringFormat : public CFormat
{
public:
    using CFormat::Format;
    using CFormat::FormatStl;
    using CFormat::Parse;
    using CFormat::ParseStl;

    CDefaultStlStringFormat() : CFormat(vtStlString) {}

    CString Format(const std::string& value, void* context = nullptr) const override;
    bool Parse(const CString& text, std::string& out, void* context = nullptr) const override;
    std::string FormatStl(const std::string& value, void* context = nullptr) const override;
    bool ParseStl(const std::string& text, std::string& out, void* context = nullptr) const override;

    CDefaultStlStringFormat* Clone() const override;
    std::string GetClassName() const override;
    bool IsSerializable() const override;
    void Serialize(CSerializer& serializer) override;
};

} // namespace Ombrel::Common
