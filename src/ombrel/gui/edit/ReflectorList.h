#pragma once

#include <vector>

namespace Ombrel::Common {
class CFormat;
}

namespace Ombrel::GUI {

class IControlReflector;

// The process-wide list of control reflectors, made on first use and kept until process exit,
// in the order in which they are asked whether they support a format:
//
//   check box, long enumeration, 64-bit date, millisecond time, long date-time, char, unsigned
//   char, short, unsigned short, long, unsigned long, 64-bit integer, float, double, default.
//
// The specific ones come before the general ones of the same value kind (an enumeration or a
// date is a long too), and the default reflector, which supports every format, comes last.
class CReflectorList
{
public:
    // The first reflector that supports `format`; null for a null format.
    static IControlReflector* Find(const Common::CFormat* format);
    // Every reflector in the order above.
    static const std::vector<IControlReflector*>& GetAll();
};

} // namespace Ombrel::GUI
