#include "ombrel/common/Serializer.h"

#include <bit>
#include <cstring>
#include <limits>
#include <vector>

namespace Ombrel::Common {

static_assert(std::endian::native == std::endian::little,
              "the stream is little-endian and primitives are copied as they lie in memory");

namespace {

constexpr const char* kOpenedForRestore = "Serializer was opened for restore operations";
constexpr const char* kOpenedForStore = "Serializer was opened for store operations";
constexpr const char* kNotEnoughSpace = "Not enough space to restore the value";
constexpr const char* kGetDataWhileRestoring = "Serializer was opened for the restore operation";
constexpr const char* kSetDataWhileStoring = "Serializer was opened for the store operation";

constexpr unsigned char kValueVersion = 1;

} // namespace

struct CSerializer::Impl
{
    std::vector<char> buffer;
    std::size_t readPosition = 0;  // offset of the next byte to restore; never past the end
    bool restoring = false;

    void CheckStoring() const
    {
        if (restoring)
            throw SerializationException(kOpenedForRestore);
    }

    void CheckRestoring() const
    {
        if (!restoring)
            throw SerializationException(kOpenedForStore);
    }

    std::size_t Remaining() const { return buffer.size() - readPosition; }

    void Append(const void* data, std::size_t count)
    {
        CheckStoring();
        const char* bytes = static_cast<const char*>(data);
        buffer.insert(buffer.end(), bytes, bytes + count);
    }

    // Copies `count` bytes out, or throws without moving the read position.
    void Consume(void* data, std::int64_t count)
    {
        CheckRestoring();
        if (!data || count <= 0 || static_cast<std::uint64_t>(count) > Remaining())
            throw SerializationException(kNotEnoughSpace);
        std::memcpy(data, buffer.data() + readPosition, static_cast<std::size_t>(count));
        readPosition += static_cast<std::size_t>(count);
    }

    template <class T>
    void AppendValue(T value)
    {
        Append(&value, sizeof(T));
    }

    template <class T>
    void ConsumeValue(T& value)
    {
        T read{};
        Consume(&read, sizeof(T));
        value = read;
    }

    // Both string kinds: a 32-bit length L, then (L > 0) L bytes and a zero. A negative or
    // oversized length fails before anything is allocated; the characters end at the first
    // zero byte. On failure the read position is back before the length.
    std::string ConsumeString()
    {
        const std::size_t start = readPosition;
        std::int32_t length = 0;
        ConsumeValue(length);
        if (length == 0)
            return std::string();
        const std::int64_t stored = std::int64_t{length} + 1;
        if (length < 0 || static_cast<std::uint64_t>(stored) > Remaining())
        {
            readPosition = start;
            throw SerializationException(kNotEnoughSpace);
        }
        const char* characters = buffer.data() + readPosition;
        readPosition += static_cast<std::size_t>(stored);
        return std::string(characters, ::strnlen(characters, static_cast<std::size_t>(length)));
    }

    void AppendString(std::string_view text)
    {
        CheckStoring();
        if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 1))
            throw SerializationException("String too long to store");
        AppendValue(static_cast<std::int32_t>(text.size()));
        if (text.empty())
            return;
        Append(text.data(), text.size());
        AppendValue('\0');
    }
};

CSerializer::CSerializer(bool restore) : m_impl(std::make_unique<Impl>())
{
    m_impl->restoring = restore;
}

CSerializer::CSerializer(CSerializer&& other) noexcept = default;
CSerializer& CSerializer::operator=(CSerializer&& other) noexcept = default;
CSerializer::~CSerializer() = default;

bool CSerializer::IsRestoring() const { return m_impl->restoring; }

int CSerializer::GetSize() const { return static_cast<int>(m_impl->buffer.size()); }

int CSerializer::GetData(char* destination) const
{
    if (m_impl->restoring)
        throw SerializationException(kGetDataWhileRestoring);
    if (!destination)
        return 0;
    if (!m_impl->buffer.empty())
        std::memcpy(destination, m_impl->buffer.data(), m_impl->buffer.size());
    return GetSize();
}

void CSerializer::SetData(const char* data, int count)
{
    if (!m_impl->restoring)
        throw SerializationException(kSetDataWhileStoring);
    if (!data || count <= 0)
        return;
    m_impl->buffer.assign(data, data + count);
    m_impl->readPosition = 0;
}

void CSerializer::Store(char value) { m_impl->AppendValue(value); }
void CSerializer::Store(unsigned char value) { m_impl->AppendValue(value); }
void CSerializer::Store(short value) { m_impl->AppendValue(value); }
void CSerializer::Store(unsigned short value) { m_impl->AppendValue(value); }
void CSerializer::Store(std::int32_t value) { m_impl->AppendValue(value); }
void CSerializer::Store(std::uint32_t value) { m_impl->AppendValue(value); }
void CSerializer::Store(std::int64_t value) { m_impl->AppendValue(value); }
void CSerializer::Store(float value) { m_impl->AppendValue(value); }
void CSerializer::Store(double value) { m_impl->AppendValue(value); }
void CSerializer::Store(bool value) { m_impl->AppendValue(static_cast<unsigned char>(value ? 1 : 0)); }
void CSerializer::Store(const std::string& value) { m_impl->AppendString(value); }
void CSerializer::Store(const CString& value) { m_impl->AppendString(value.View()); }

void CSerializer::Store(const CValue& value)
{
    m_impl->CheckStoring();
    Store(kValueVersion);
    Store(static_cast<unsigned char>(value.GetType()));
    switch (value.GetType())
    {
    case vtEmpty: break;
    case vtMfcString: Store(value.GetString()); break;
    case vtStlString: Store(value.GetStdString()); break;
    case vtChar: Store(value.GetChar()); break;
    case vtUChar: Store(value.GetUChar()); break;
    case vtShort: Store(value.GetShort()); break;
    case vtUShort: Store(value.GetUShort()); break;
    case vtLong: Store(value.GetLong()); break;
    case vtULong: Store(value.GetULong()); break;
    case vtInt64: Store(value.GetInt64()); break;
    case vtBool: Store(value.GetBool()); break;
    case vtFloat: Store(value.GetFloat()); break;
    case vtDouble: Store(value.GetDouble()); break;
    case vtOpaque: break;  // opaque values are never written
    }
}

void CSerializer::StoreBytes(const void* data, int count)
{
    m_impl->CheckStoring();
    if (!data || count <= 0)
        return;
    m_impl->Append(data, static_cast<std::size_t>(count));
}

void CSerializer::Restore(char& value) { m_impl->ConsumeValue(value); }
void CSerializer::Restore(unsigned char& value) { m_impl->ConsumeValue(value); }
void CSerializer::Restore(short& value) { m_impl->ConsumeValue(value); }
void CSerializer::Restore(unsigned short& value) { m_impl->ConsumeValue(value); }
void CSerializer::Restore(std::int32_t& value) { m_impl->ConsumeValue(value); }
void CSerializer::Restore(std::uint32_t& value) { m_impl->ConsumeValue(value); }
void CSerializer::Restore(std::int64_t& value) { m_impl->ConsumeValue(value); }
void CSerializer::Restore(float& value) { m_impl->ConsumeValue(value); }
void CSerializer::Restore(double& value) { m_impl->ConsumeValue(value); }

void CSerializer::Restore(bool& value)
{
    unsigned char stored = 0;
    m_impl->ConsumeValue(stored);
    value = stored != 0;
}

void CSerializer::Restore(std::string& value) { value = m_impl->ConsumeString(); }
void CSerializer::Restore(CString& value) { value = CString(m_impl->ConsumeString()); }

namespace {

template <class T>
CValue RestorePayload(CSerializer& serializer)
{
    T payload{};
    serializer.Restore(payload);
    return CValue(payload);
}

} // namespace

// All or nothing: on a short stream both `value` and the read position stay as they were.
void CSerializer::Restore(CValue& value)
{
    m_impl->CheckRestoring();
    const std::size_t start = m_impl->readPosition;
    try
    {
        unsigned char version = 0;
        Restore(version);
        if (version == 0)
        {
            value.Clear();
            return;
        }
        unsigned char tag = 0;
        Restore(tag);
        switch (tag)
        {
        case vtMfcString: value = RestorePayload<CString>(*this); break;
        case vtStlString: value = RestorePayload<std::string>(*this); break;
        case vtChar: value = RestorePayload<char>(*this); break;
        case vtUChar: value = RestorePayload<unsigned char>(*this); break;
        case vtShort: value = RestorePayload<short>(*this); break;
        case vtUShort: value = RestorePayload<unsigned short>(*this); break;
        case vtLong: value = RestorePayload<std::int32_t>(*this); break;
        case vtULong: value = RestorePayload<std::uint32_t>(*this); break;
        case vtInt64: value = RestorePayload<std::int64_t>(*this); break;
        case vtBool: value = RestorePayload<bool>(*this); break;
        case vtFloat: value = RestorePayload<float>(*this); break;
        case vtDouble: value = RestorePayload<double>(*this); break;
        default: value.Clear(); break;  // vtEmpty, vtOpaque and unknown tags carry nothing
        }
    }
    catch (const SerializationException&)
    {
        m_impl->readPosition = start;
        throw;
    }
}

void CSerializer::RestoreBytes(void* data, int count) { m_impl->Consume(data, count); }

} // namespace Ombrel::Common
