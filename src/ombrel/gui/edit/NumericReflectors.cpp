#include "ombrel/gui/edit/NumericReflectors.h"

#include "ombrel/base/String.h"
#include "ombrel/common/DoubleFormat.h"
#include "ombrel/common/IntegerFormats.h"
#include "ombrel/common/LongMsecTimeFormat.h"
#include "ombrel/gui/edit/NumericEdit.h"

#include <string>

namespace Ombrel::GUI {

namespace {

constexpr std::string_view kFloatCharacters = "-+0123456789edED.,";
constexpr std::string_view kSignedIntegerCharacters = "0123456789abcdefABCDEF.,-+xX";
// The unsigned long and unsigned char take no minus sign; the unsigned short keeps the signed
// set, as it always has.
constexpr std::string_view kUnsignedIntegerCharacters = "0123456789abcdefABCDEF.,+xX";
constexpr std::string_view kTimeCharacters = "0123456789:.,";

// Whether `format` is exactly the standard format TFormat: of that class and under its
// persistent name (a derived format that keeps the name but changes the text is not).
template <class TFormat>
const std::string& StandardName()
{
    static const std::string name = TFormat().GetClassName();
    return name;
}

template <class TFormat>
const TFormat* AsStandard(const Common::CFormat& format)
{
    const auto* standard = dynamic_cast<const TFormat*>(&format);
    if (standard == nullptr || format.GetClassName() != StandardName<TFormat>())
        return nullptr;
    return standard;
}

template <class TFormat>
int WideIntegerMode(const Common::CFormat& format)
{
    const TFormat* standard = AsStandard<TFormat>(format);
    const bool hexadecimal = standard != nullptr && standard->GetMode() != Common::fmDecimal;
    return hexadecimal ? CNumericEdit::kHexadecimal : CNumericEdit::kInteger;
}

template <class TFormat>
int CharacterMode(const Common::CFormat& format)
{
    const TFormat* standard = AsStandard<TFormat>(format);
    if (standard == nullptr)
        return CNumericEdit::kSingleCharacter;
    switch (standard->GetMode()) {
    case Common::fmDecimal: return CNumericEdit::kInteger;
    case Common::fmHex: return CNumericEdit::kHexadecimal;
    default: return CNumericEdit::kSingleCharacter;
    }
}

} // namespace

// ---- CNumericReflector ------------------------------------------------------------------------

CNumericReflector::CNumericReflector(Common::ValueType kind, std::string_view acceptedCharacters)
    : m_kind(kind), m_accepted(acceptedCharacters)
{
}

bool CNumericReflector::Supports(const Common::CFormat* format)
{
    return format != nullptr && format->GetValueType() == m_kind;
}

std::unique_ptr<CEdit> CNumericReflector::MakeEdit(const Common::CFormat& format)
{
    return std::make_unique<CNumericEdit>(EditMode(format));
}

CString CNumericReflector::PrepareText(const CString& cellText, const Common::CFormat&)
{
    std::string kept;
    for (char c : cellText.ToStdString()) {
        if (m_accepted.find(c) != std::string_view::npos)
            kept += c;
    }
    return CString(kept.c_str());
}

// ---- Floating point ---------------------------------------------------------------------------

CFloatReflector::CFloatReflector() : CNumericReflector(Common::vtFloat, kFloatCharacters) {}

int CFloatReflector::EditMode(const Common::CFormat&) const
{
    return CNumericEdit::kFloatingPoint;
}

CDoubleReflector::CDoubleReflector() : CNumericReflector(Common::vtDouble, kFloatCharacters) {}

int CDoubleReflector::EditMode(const Common::CFormat&) const
{
    return CNumericEdit::kFloatingPoint;
}

// ---- Wide integers ------------------------------------------------------------------------------

CLongReflector::CLongReflector() : CNumericReflector(Common::vtLong, kSignedIntegerCharacters) {}

int CLongReflector::EditMode(const Common::CFormat& format) const
{
    return WideIntegerMode<Common::CLongFormat>(format);
}

CULongReflector::CULongReflector() : CNumericReflector(Common::vtULong, kUnsignedIntegerCharacters) {}

int CULongReflector::EditMode(const Common::CFormat& format) const
{
    return WideIntegerMode<Common::CULongFormat>(format);
}

CInt64Reflector::CInt64Reflector() : CNumericReflector(Common::vtInt64, kSignedIntegerCharacters) {}

int CInt64Reflector::EditMode(const Common::CFormat& format) const
{
    return WideIntegerMode<Common::CInt64Format>(format);
}

CShortReflector::CShortReflector() : CNumericReflector(Common::vtShort, kSignedIntegerCharacters) {}

int CShortReflector::EditMode(const Common::CFormat& format) const
{
    return WideIntegerMode<Common::CShortFormat>(format);
}

CUShortReflector::CUShortReflector() : CNumericReflector(Common::vtUShort, kSignedIntegerCharacters) {}

int CUShortReflector::EditMode(const Common::CFormat& format) const
{
    return WideIntegerMode<Common::CUShortFormat>(format);
}

// ---- Characters ---------------------------------------------------------------------------------

CCharReflector::CCharReflector() : CNumericReflector(Common::vtChar, kSignedIntegerCharacters) {}

int CCharReflector::EditMode(const Common::CFormat& format) const
{
    return CharacterMode<Common::CCharFormat>(format);
}

CString CCharReflector::PrepareText(const CString& cellText, const Common::CFormat& format)
{
    if (EditMode(format) == CNumericEdit::kSingleCharacter)
        return cellText;
    return CNumericReflector::PrepareText(cellText, format);
}

CUCharReflector::CUCharReflector() : CNumericReflector(Common::vtUChar, kUnsignedIntegerCharacters) {}

int CUCharReflector::EditMode(const Common::CFormat& format) const
{
    return CharacterMode<Common::CUCharFormat>(format);
}

CString CUCharReflector::PrepareText(const CString& cellText, const Common::CFormat& format)
{
    if (EditMode(format) == CNumericEdit::kSingleCharacter)
        return cellText;
    return CNumericReflector::PrepareText(cellText, format);
}

// ---- Millisecond time -------------------------------------------------------------------------

CLongMsecTimeReflector::CLongMsecTimeReflector() : CNumericReflector(Common::vtLong, kTimeCharacters) {}

bool CLongMsecTimeReflector::Supports(const Common::CFormat* format)
{
    // By name, so that a format restored from a stream under that name is edited as one.
    // IsDateTime first: it spares the name's copy for every other long cell that is painted.
    return CNumericReflector::Supports(format) && format->IsDateTime() &&
           format->GetClassName() == StandardName<Common::CLongMsecTimeFormat>();
}

int CLongMsecTimeReflector::EditMode(const Common::CFormat&) const
{
    return CNumericEdit::kTimeWithFraction;
}

} // namespace Ombrel::GUI
