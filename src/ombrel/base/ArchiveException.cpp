#include "ombrel/base/ArchiveException.h"

#include <string>

namespace Ombrel {
namespace {

const char* DescribeCause(CArchiveException::Cause cause)
{
    switch (cause) {
    case CArchiveException::none: return "no error";
    case CArchiveException::genericException: return "malformed archive data";
    case CArchiveException::readOnly: return "store operation on a loading archive";
    case CArchiveException::endOfFile: return "unexpected end of archive";
    case CArchiveException::writeOnly: return "load operation on a storing archive";
    case CArchiveException::badIndex: return "invalid class reference in archive";
    case CArchiveException::badClass: return "unknown or unexpected class in archive";
    case CArchiveException::badSchema: return "archive written by a newer version";
    case CArchiveException::bufferFull: return "too many classes in archive";
    }
    return "archive error";
}

std::string Describe(CArchiveException::Cause cause, const char* detail)
{
    std::string text = DescribeCause(cause);
    if (detail && *detail) {
        text += ": ";
        text += detail;
    }
    return text;
}

} // namespace

CArchiveException::CArchiveException(Cause cause)
    : std::runtime_error(Describe(cause, nullptr)), m_cause(cause)
{
}

CArchiveException::CArchiveException(Cause cause, const char* detail)
    : std::runtime_error(Describe(cause, detail)), m_cause(cause)
{
}

} // namespace Ombrel
