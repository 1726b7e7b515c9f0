#pragma once

#include "ombrel/common/DoubleFormat.h"

namespace Ombrel::Common {

// The floating-point format of vtFloat: the rules of CDoubleFormat with float's constants
// (at most 6 decimals, zero below 1e-7, exponent notation from 1e10 and below 1e-6).
class CFloatFormat : public CRealNumberFormat<float, vtFloat>
{
public:
    explicit CFloatFormat(int precision = 2, bool trailingZeros = false, bool showZero = true, char prefix = 0,
                          char suffix = 0, char separator = ' ')
        : CRealNumberFormat(precision, trailingZeros, showZero, prefix, suffix, separator)
    {
    }
    CFloatFormat* Clone() const override { return new CFloatFormat(*this); }
    std::string GetClassName() const override { return "Common::CFloatFormat"; }
};

} // namespace Ombrel::Common
