#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ombrel/base/String.h"
#include "ombrel/common/CommonException.h"
#include "ombrel/common/Value.h"

namespace Ombrel::Common {

// A binary stream opened either for storing or for restoring (fixed at construction).
//
// Encoding: little-endian fixed widths, no alignment, no type tags. A bool is one byte (0/1;
// any non-zero byte restores as true). Both string kinds are a 32-bit length L followed, when
// L > 0, by the L bytes and a terminating zero. A CValue is a version byte (1), its ValueType
// byte and the payload of that kind (nothing for vtEmpty and vtOpaque).
//
// Restored bytes are untrusted: every restore checks the remaining size before it copies or
// allocates, and throws SerializationException("Not enough space to restore the value")
// otherwise, leaving the read position unchanged. A serializer belongs to one thread at a time.
class CSerializer
{
public:
    class SerializationException : public CommonException
    {
    public:
        using CommonException::CommonException;
    };

    // Thrown by a record (a format, a data object) whose stored version is newer than it reads.
    class BadVersionException : public SerializationException
    {
    public:
        using SerializationException::SerializationException;
    };

    explicit CSerializer(bool restore);
    CSerializer(CSerializer&& other) noexcept;
    CSerializer& operator=(CSerializer&& other) noexcept;
    ~CSerializer();

    bool IsRestoring() const;
    int GetSize() const;

    // Copies the whole buffer to `destination` (GetSize() bytes) and returns the count; 0 for
    // a null destination. Store mode only.
    int GetData(char* destination) const;
    // Replaces the buffer with `count` bytes and restarts reading at its beginning; ignored for
    // null data or a count of 0 or less. Restore mode only.
    void SetData(const char* data, int count);

    // Store primitives append to the buffer. Store mode only.
    void Store(char value);
    void Store(unsigned char value);
    void Store(short value);
    void Store(unsigned short value);
    void Store(std::int32_t value);
    void Store(std::uint32_t value);
    void Store(std::int64_t value);
    void Store(float value);
    void Store(double value);
    void Store(bool value);
    void Store(const std::string& value);
    void Store(const CString& value);
    void Store(const CValue& value);
    // A bare pointer would otherwise be stored as a bool; name the string kind instead.
    void Store(const char*) = delete;
    // Appends `count` raw bytes; nothing happens for null data or a count of 0 or less.
    void StoreBytes(const void* data, int count);

    // Restore primitives consume from the read position. Restore mode only.
    void Restore(char& value);
    void Restore(unsigned char& value);
    void Restore(short& value);
    void Restore(unsigned short& value);
    void Restore(std::int32_t& value);
    void Restore(std::uint32_t& value);
    void Restore(std::int64_t& value);
    void Restore(float& value);
    void Restore(double& value);
    void Restore(bool& value);
    void Restore(std::string& value);
    void Restore(CString& value);
    void Restore(CValue& value);
    // Copies `count` raw bytes; fails for null data, a count of 0 or less, or too few bytes.
    void RestoreBytes(void* data, int count);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Common
