#pragma once

#include "ombrel/common/Value.h"
#include "ombrel/gui/edit/DefaultReflector.h"

#include <string_view>

namespace Ombrel::GUI {

// Reflectors that edit numbers in a CNumericEdit, chosen by the format's value kind. The
// editor opens with the cell's text stripped of every character the reflector does not accept
// (group separators, units), so "1 234,5" opens as "1234,5"; the rest (placing, keys,
// writing back) is the default reflector's.
class CNumericReflector : public CDefaultReflector
{
public:
    bool Supports(const Common::CFormat* format) override;

protected:
    // `acceptedCharacters`: what the opening text keeps (a string literal; it is not copied).
    CNumericReflector(Common::ValueType kind, std::string_view acceptedCharacters);

    // The CNumericEdit mode for cells of `format`.
    virtual int EditMode(const Common::CFormat& format) const = 0;

    std::unique_ptr<CEdit> MakeEdit(const Common::CFormat& format) override;
    CString PrepareText(const CString& cellText, const Common::CFormat& format) override;

private:
    Common::ValueType m_kind;
    std::string_view m_accepted;
};

// Floating point: decimal point or comma, exponent letters, signs.
class CFloatReflector : public CNumericReflector
{
public:
    CFloatReflector();

protected:
    int EditMode(const Common::CFormat& format) const override;
};

class CDoubleReflector : public CNumericReflector
{
public:
    CDoubleReflector();

protected:
    int EditMode(const Common::CFormat& format) const override;
};

// The wide integers edit in hexadecimal when the format is exactly the kind's standard format
// set to hexadecimal output, in decimal otherwise.
class CLongReflector : public CNumericReflector
{
public:
    CLongReflector();

protected:
    int EditMode(const Common::CFormat& format) const override;
};

class CULongReflector : public CNumericReflector
{
public:
    CULongReflector();

protected:
    int EditMode(const Common::CFormat& format) const override;
};

class CInt64Reflector : public CNumericReflector
{
public:
    CInt64Reflector();

protected:
    int EditMode(const Common::CFormat& format) const override;
};

class CShortReflector : public CNumericReflector
{
public:
    CShortReflector();

protected:
    int EditMode(const Common::CFormat& format) const override;
};

class CUShortReflector : public CNumericReflector
{
public:
    CUShortReflector();

protected:
    int EditMode(const Common::CFormat& format) const override;
};

// The characters edit as a decimal number, two hexadecimal digits or the character itself, as
// the standard format shows them; any other format edits the character itself, and the
// opening text is then kept whole.
class CCharReflector : public CNumericReflector
{
public:
    CCharReflector();

protected:
    int EditMode(const Common::CFormat& format) const override;
    CString PrepareText(const CString& cellText, const Common::CFormat& format) override;
};

class CUCharReflector : public CNumericReflector
{
public:
    CUCharReflector();

protected:
    int EditMode(const Common::CFormat& format) const override;
    CString PrepareText(const CString& cellText, const Common::CFormat& format) override;
};

// A long shown by the millisecond time format: hours, minutes, seconds and their fraction.
class CLongMsecTimeReflector : public CNumericReflector
{
public:
    CLongMsecTimeReflector();
    bool Supports(const Common::CFormat* format) override;

protected:
    int EditMode(const Common::CFormat& format) const override;
};

} // namespace Ombrel::GUI
