#pragma once

#include "ombrel/base/ArchiveException.h"
#include "ombrel/base/String.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Ombrel {

class CObject;
struct CRuntimeClass;

// A one-directional binary stream of framework values, over a memory buffer or a file.
//
// Encodings (stored state of other classes depends on them byte for byte):
// - integers little-endian at their width; float and double as their IEEE bits; bool as one
//   byte (0 or 1; any non-zero byte reads as true);
// - a string as its length and then its bytes without terminator. The length is one byte
//   when at most 254; otherwise the byte 0xFF and a 16-bit length when at most 65533;
//   otherwise 0xFF, the 16-bit 0xFFFF and a 32-bit length. A 16-bit 0xFFFE after 0xFF marks
//   a wide string, which this archive refuses;
// - a class record: a 16-bit tag. 0x0000 is the null object; 0xFFFF introduces a new class
//   and is followed by its 32-bit schema and its name as a string; 0x8000 | n refers back to
//   the n-th new class of this archive (from 1), so a repeated class costs two bytes;
// - an object: its class record, then what its Serialize writes.
//
// A loading archive checks every length against the input that remains before it
// allocates, and reports malformed input by CArchiveException, never by reading past the
// end. Misuse (storing into a loading archive and the reverse) also throws.
class CArchive
{
public:
    enum Mode
    {
        store = 0,
        load = 1,
    };

    // A memory archive. Storing appends to `bytes`; loading reads them from the start.
    explicit CArchive(Mode mode);
    CArchive(std::vector<std::uint8_t> bytes, Mode mode);
    CArchive(const std::uint8_t* data, std::size_t size, Mode mode);
    // A file archive: storing creates or truncates the file, loading reads it. Throws
    // CArchiveException (genericException) when the file cannot be opened.
    CArchive(const char* path, Mode mode);
    // Flushes a storing file archive; errors are only reported by Close.
    ~CArchive();

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const;
    bool IsLoading() const;

    // The bytes of a memory archive: everything stored so far, or the input being loaded.
    // Empty for a file archive.
    const std::vector<std::uint8_t>& GetBuffer() const;
    // Bytes of input not yet read (loading), or 0 when storing.
    std::uint64_t GetRemaining() const;
    // Writes out a storing file archive and closes the file; throws genericException when
    // the data could not be written. Further operations throw. A memory archive keeps its
    // bytes.
    void Close();
    void Flush();

    void Write(const void* data, std::size_t size);
    // Reads exactly `size` bytes; throws endOfFile (reading nothing) when fewer remain.
    void Read(void* data, std::size_t size);

    CArchive& operator<<(std::int8_t value);
    CArchive& operator<<(std::uint8_t value);
    CArchive& operator<<(std::int16_t value);
    CArchive& operator<<(std::uint16_t value);
    CArchive& operator<<(std::int32_t value);
    CArchive& operator<<(std::uint32_t value);
    CArchive& operator<<(std::int64_t value);
    CArchive& operator<<(std::uint64_t value);
    CArchive& operator<<(bool value);
    CArchive& operator<<(float value);
    CArchive& operator<<(double value);
    CArchive& operator<<(const CString& value);
    CArchive& operator<<(const std::string& value);

    CArchive& operator>>(std::int8_t& value);
    CArchive& operator>>(std::uint8_t& value);
    CArchive& operator>>(std::int16_t& value);
    CArchive& operator>>(std::uint16_t& value);
    CArchive& operator>>(std::int32_t& value);
    CArchive& operator>>(std::uint32_t& value);
    CArchive& operator>>(std::int64_t& value);
    CArchive& operator>>(std::uint64_t& value);
    CArchive& operator>>(bool& value);
    CArchive& operator>>(float& value);
    CArchive& operator>>(double& value);
    CArchive& operator>>(CString& value);
    CArchive& operator>>(std::string& value);

    // The length-prefixed string. Lengths above 32 bits cannot be stored (genericException).
    void WriteString(std::string_view text);
    std::string ReadString();

    // A class record for `runtimeClass` (not null).
    void WriteClass(const CRuntimeClass* runtimeClass);
    // Reads a class record. Returns the registered class of the stored name, or null for a
    // null record or a name that no registered class has (the record is consumed either
    // way, so the caller may skip the data that follows). Throws badSchema when the stored
    // schema is newer than the registered class's, badClass when `expected` is given and
    // the class does not derive from it, badIndex for a reference to no earlier record.
    // `schema` receives the stored schema number.
    const CRuntimeClass* ReadClass(const CRuntimeClass* expected = nullptr,
                                   std::uint32_t* schema = nullptr);

    // Writes the object's class record and its Serialize data; a null object is a null
    // record. The class must be serialisable (genericException otherwise).
    void WriteObject(const CObject* object);
    // Reads an object written by WriteObject: null for a null record; throws badClass when
    // its class is unknown, not creatable or not derived from `expected`.
    std::unique_ptr<CObject> ReadObject(const CRuntimeClass* expected = nullptr);

private:
    const CRuntimeClass* ReadClassRecord(const CRuntimeClass* expected, std::uint32_t* schema,
                                         bool& isNull);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
