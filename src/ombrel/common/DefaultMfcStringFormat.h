#pragma once

#include "ombrel/common/Format.h"

namespace Ombrel::Common {

// Passes framework strings through unchanged, in both directions. Unlike the other formats
// its CString slots do the work and the std::string slots delegate to them.
class CDefaultMfcStringFormat : public CFormat
{
public:
    using CFormat::Format;
    using CFormat::FormatStl;
    using CFormat::Parse;
    using CFormat::ParseStl;

    CDefaultMfcStringFormat() : CFormat(vtMfcString) {}

    CString Format(const CString& value, void* context = nullptr) const override;
    bool Parse(const CString& text, CString& out, void* context = nullptr) const override;
    std::string FormatStl(const CString& value, void* context = nullptr) const override;
    bool ParseStl(const std::string& text, CString& out, void* context = nullptr) const override;

    CDefaultMfcStringFormat* Clone() const override;
    std::string GetClassName() const override;
    bool IsSerializable() const override;
    void Serialize(CSerializer& serializer) override;
};

} // namespace Ombrel::Common
