#pragma once

#include <stdexcept>

namespace Ombrel {

// The error raised by CArchive and by the Serialize functions of archived classes. The cause
// codes are the framework's; stored state depends on badSchema being 7.
class CArchiveException : public std::runtime_error
{
public:
    enum Cause
    {
        none = 0,
        genericException = 1, // malformed data, or an operation the archive cannot do
        readOnly = 2,         // a store operation on a loading archive
        endOfFile = 3,        // the input ended inside a value
        writeOnly = 4,        // a load operation on a storing archive
        badIndex = 5,         // a class record that names no known record
        badClass = 6,         // an object of an unknown, uncreatable or unexpected class
        badSchema = 7,        // data written by a newer version than this reader knows
        bufferFull = 8,       // more class records than the encoding can address
    };

    explicit CArchiveException(Cause cause);
    CArchiveException(Cause cause, const char* detail);

    Cause GetCause() const { return m_cause; }

    // The public field of the framework's exception, kept under its old name for callers
    // that read it directly.
    Cause m_cause;
};

} // namespace Ombrel
