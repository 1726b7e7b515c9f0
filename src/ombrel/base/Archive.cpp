#include "ombrel/base/Archive.h"

#include "ombrel/base/Object.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

namespace Ombrel {
namespace {

constexpr std::uint16_t kNullTag = 0x0000;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassReferenceBit = 0x8000;
// Back-references are 0x8000 | n with n from 1; 0xFFFF is taken by the new-class tag.
constexpr std::uint16_t kMaxClassRecords = 0x7FFE;

constexpr std::uint8_t kLongStringByte = 0xFF;
constexpr std::uint16_t kWideStringMarker = 0xFFFE;
constexpr std::uint16_t kLongerStringMarker = 0xFFFF;
constexpr std::size_t kMaxByteLength = 254;
constexpr std::size_t kMaxWordLength = 65533;

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "the archive converts integers between the host order and little-endian");

template <typename T>
T ToLittleEndian(T value)
{
    if constexpr (std::endian::native == std::endian::big && sizeof(T) > 1) {
        T swapped{};
        auto* out = reinterpret_cast<unsigned char*>(&swapped);
        const auto* in = reinterpret_cast<const unsigned char*>(&value);
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            out[i] = in[sizeof(T) - 1 - i];
        }
        return swapped;
    }
    return value;
}

struct StoredClass
{
    const CRuntimeClass* runtimeClass = nullptr; // null: no registered class of that name
    std::uint32_t schema = 0;
};

} // namespace

struct CArchive::Impl
{
    Mode mode = store;
    bool closed = false;

    // Memory archive: everything stored, or the input and how much of it has been read.
    std::vector<std::uint8_t> memory;
    std::size_t readPosition = 0;

    // File archive (file != null). For loading, fileRemaining counts unread bytes so that
    // lengths can be checked before anything is allocated.
    std::FILE* file = nullptr;
    std::uint64_t fileRemaining = 0;
    bool writeFailed = false;

    // Class records of this archive, numbered from 1 in the order they were first written.
    std::map<const CRuntimeClass*, std::uint16_t> storedIndex;
    std::vector<StoredClass> loadedClasses;

    void RequireStoring() const
    {
        if (closed) {
            throw CArchiveException(CArchiveException::genericException, "archive is closed");
        }
        if (mode != store) {
            throw CArchiveException(CArchiveException::readOnly);
        }
    }

    void RequireLoading() const
    {
        if (closed) {
            throw CArchiveException(CArchiveException::genericException, "archive is closed");
        }
        if (mode != load) {
            throw CArchiveException(CArchiveException::writeOnly);
        }
    }

    std::uint64_t Remaining() const
    {
        if (mode != load || closed) {
            return 0;
        }
        return file ? fileRemaining : memory.size() - readPosition;
    }

    void WriteBytes(const void* data, std::size_t size)
    {
        RequireStoring();
        if (size == 0) {
            return;
        }
        if (file) {
            if (std::fwrite(data, 1, size, file) != size) {
                writeFailed = true;
                throw CArchiveException(CArchiveException::genericException, "write failed");
            }
            return;
        }
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        memory.insert(memory.end(), bytes, bytes + size);
    }

    void ReadBytes(void* data, std::size_t size)
    {
        RequireLoading();
        if (size > Remaining()) {
            throw CArchiveException(CArchiveException::endOfFile);
        }
        if (size == 0) {
            return;
        }
        if (file) {
            if (std::fread(data, 1, size, file) != size) {
                fileRemaining = 0;
                throw CArchiveException(CArchiveException::endOfFile);
            }
            fileRemaining -= size;
            return;
        }
        std::memcpy(data, memory.data() + readPosition, size);
        readPosition += size;
    }

    template <typename T>
    void Put(T value)
    {
        const T little = ToLittleEndian(value);
        WriteBytes(&little, sizeof little);
    }

    template <typename T>
    T Get()
    {
        T little{};
        ReadBytes(&little, sizeof little);
        return ToLittleEndian(little);
    }

    void CloseFile()
    {
        if (!file) {
            return;
        }
        const bool flushed = std::fflush(file) == 0;
        const bool closedOk = std::fclose(file) == 0;
        file = nullptr;
        if (mode == store && (!flushed || !closedOk)) {
            writeFailed = true;
        }
    }
};

CArchive::CArchive(Mode mode) : CArchive(std::vector<std::uint8_t>(), mode) {}

CArchive::CArchive(std::vector<std::uint8_t> bytes, Mode mode) : m_impl(std::make_unique<Impl>())
{
    m_impl->mode = mode;
    m_impl->memory = std::move(bytes);
}

CArchive::CArchive(const std::uint8_t* data, std::size_t size, Mode mode)
    : CArchive(data && size ? std::vector<std::uint8_t>(data, data + size)
                            : std::vector<std::uint8_t>(),
               mode)
{
}

CArchive::CArchive(const char* path, Mode mode) : m_impl(std::make_unique<Impl>())
{
    m_impl->mode = mode;
    m_impl->file = path ? std::fopen(path, mode == store ? "wb" : "rb") : nullptr;
    if (!m_impl->file) {
        throw CArchiveException(CArchiveException::genericException, "cannot open file");
    }
    if (mode == load) {
        const bool measured = std::fseek(m_impl->file, 0, SEEK_END) == 0;
        const long size = measured ? std::ftell(m_impl->file) : -1;
        if (size < 0 || std::fseek(m_impl->file, 0, SEEK_SET) != 0) {
            std::fclose(m_impl->file);
            throw CArchiveException(CArchiveException::genericException, "cannot measure file");
        }
        m_impl->fileRemaining = static_cast<std::uint64_t>(size);
    }
}

CArchive::~CArchive()
{
    m_impl->CloseFile();
}

bool CArchive::IsStoring() const { return m_impl->mode == store; }
bool CArchive::IsLoading() const { return m_impl->mode == load; }

const std::vector<std::uint8_t>& CArchive::GetBuffer() const { return m_impl->memory; }

std::uint64_t CArchive::GetRemaining() const { return m_impl->Remaining(); }

void CArchive::Flush()
{
    if (m_impl->file && m_impl->mode == store && std::fflush(m_impl->file) != 0) {
        m_impl->writeFailed = true;
        throw CArchiveException(CArchiveException::genericException, "write failed");
    }
}

void CArchive::Close()
{
    if (m_impl->closed) {
        return;
    }
    m_impl->CloseFile();
    m_impl->closed = true;
    if (m_impl->writeFailed) {
        throw CArchiveException(CArchiveException::genericException, "write failed");
    }
}

void CArchive::Write(const void* data, std::size_t size)
{
    if (size > 0 && !data) {
        throw CArchiveException(CArchiveException::genericException, "null data");
    }
    m_impl->WriteBytes(data, size);
}

void CArchive::Read(void* data, std::size_t size)
{
    if (size > 0 && !data) {
        throw CArchiveException(CArchiveException::genericException, "null buffer");
    }
    m_impl->ReadBytes(data, size);
}

CArchive& CArchive::operator<<(std::int8_t value) { m_impl->Put(value); return *this; }
CArchive& CArchive::operator<<(std::uint8_t value) { m_impl->Put(value); return *this; }
CArchive& CArchive::operator<<(std::int16_t value) { m_impl->Put(value); return *this; }
CArchive& CArchive::operator<<(std::uint16_t value) { m_impl->Put(value); return *this; }
CArchive& CArchive::operator<<(std::int32_t value) { m_impl->Put(value); return *this; }
CArchive& CArchive::operator<<(std::uint32_t value) { m_impl->Put(value); return *this; }
CArchive& CArchive::operator<<(std::int64_t value) { m_impl->Put(value); return *this; }
CArchive& CArchive::operator<<(std::uint64_t value) { m_impl->Put(value); return *this; }
CArchive& CArchive::operator<<(bool value) { m_impl->Put<std::uint8_t>(value ? 1 : 0); return *this; }
CArchive& CArchive::operator<<(float value) { m_impl->Put(std::bit_cast<std::uint32_t>(value)); return *this; }
CArchive& CArchive::operator<<(double value) { m_impl->Put(std::bit_cast<std::uint64_t>(value)); return *this; }
CArchive& CArchive::operator<<(const CString& value) { WriteString(value.View()); return *this; }
CArchive& CArchive::operator<<(const std::string& value) { WriteString(value); return *this; }

CArchive& CArchive::operator>>(std::int8_t& value) { value = m_impl->Get<std::int8_t>(); return *this; }
CArchive& CArchive::operator>>(std::uint8_t& value) { value = m_impl->Get<std::uint8_t>(); return *this; }
CArchive& CArchive::operator>>(std::int16_t& value) { value = m_impl->Get<std::int16_t>(); return *this; }
CArchive& CArchive::operator>>(std::uint16_t& value) { value = m_impl->Get<std::uint16_t>(); return *this; }
CArchive& CArchive::operator>>(std::int32_t& value) { value = m_impl->Get<std::int32_t>(); return *this; }
CArchive& CArchive::operator>>(std::uint32_t& value) { value = m_impl->Get<std::uint32_t>(); return *this; }
CArchive& CArchive::operator>>(std::int64_t& value) { value = m_impl->Get<std::int64_t>(); return *this; }
CArchive& CArchive::operator>>(std::uint64_t& value) { value = m_impl->Get<std::uint64_t>(); return *this; }
CArchive& CArchive::operator>>(bool& value) { value = m_impl->Get<std::uint8_t>() != 0; return *this; }
CArchive& CArchive::operator>>(float& value) { value = std::bit_cast<float>(m_impl->Get<std::uint32_t>()); return *this; }
CArchive& CArchive::operator>>(double& value) { value = std::bit_cast<double>(m_impl->Get<std::uint64_t>()); return *this; }
CArchive& CArchive::operator>>(CString& value) { value = CString(ReadString()); return *this; }
CArchive& CArchive::operator>>(std::string& value) { value = ReadString(); return *this; }

void CArchive::WriteString(std::string_view text)
{
    m_impl->RequireStoring();
    const std::size_t length = text.size();
    if (length <= kMaxByteLength) {
        m_impl->Put(static_cast<std::uint8_t>(length));
    } else if (length <= kMaxWordLength) {
        m_impl->Put(kLongStringByte);
        m_impl->Put(static_cast<std::uint16_t>(length));
    } else if (length <= 0xFFFFFFFFu) {
        m_impl->Put(kLongStringByte);
        m_impl->Put(kLongerStringMarker);
        m_impl->Put(static_cast<std::uint32_t>(length));
    } else {
        throw CArchiveException(CArchiveException::genericException, "string too long");
    }
    m_impl->WriteBytes(text.data(), length);
}

std::string CArchive::ReadString()
{
    std::uint64_t length = m_impl->Get<std::uint8_t>();
    if (length == kLongStringByte) {
        const auto word = m_impl->Get<std::uint16_t>();
        if (word == kWideStringMarker) {
            throw CArchiveException(CArchiveException::genericException, "wide string");
        }
        length = word == kLongerStringMarker ? m_impl->Get<std::uint32_t>() : word;
    }
    // Checked before the allocation, so a forged length cannot claim memory.
    if (length > m_impl->Remaining()) {
        throw CArchiveException(CArchiveException::endOfFile);
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    m_impl->ReadBytes(text.data(), text.size());
    return text;
}

void CArchive::WriteClass(const CRuntimeClass* runtimeClass)
{
    m_impl->RequireStoring();
    if (!runtimeClass || !runtimeClass->m_lpszClassName) {
        throw CArchiveException(CArchiveException::badClass, "no class to write");
    }
    const auto known = m_impl->storedIndex.find(runtimeClass);
    if (known != m_impl->storedIndex.end()) {
        m_impl->Put(static_cast<std::uint16_t>(kClassReferenceBit | known->second));
        return;
    }
    if (m_impl->storedIndex.size() >= kMaxClassRecords) {
        throw CArchiveException(CArchiveException::bufferFull);
    }
    m_impl->Put(kNewClassTag);
    m_impl->Put(runtimeClass->m_wSchema);
    WriteString(runtimeClass->m_lpszClassName);
    const auto index = static_cast<std::uint16_t>(m_impl->storedIndex.size() + 1);
    m_impl->storedIndex.emplace(runtimeClass, index);
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* expected, std::uint32_t* schema)
{
    bool isNull = false;
    const CRuntimeClass* runtimeClass = ReadClassRecord(expected, schema, isNull);
    return isNull ? nullptr : runtimeClass;
}

void CArchive::WriteObject(const CObject* object)
{
    m_impl->RequireStoring();
    if (!object) {
        m_impl->Put(kNullTag);
        return;
    }
    const CRuntimeClass* runtimeClass = object->GetRuntimeClass();
    if (!runtimeClass->IsSerializable()) {
        throw CArchiveException(CArchiveException::genericException, "class is not serialisable");
    }
    WriteClass(runtimeClass);
    // Serialize is one function for both directions; on a storing archive it only reads.
    const_cast<CObject*>(object)->Serialize(*this);
}

std::unique_ptr<CObject> CArchive::ReadObject(const CRuntimeClass* expected)
{
    bool isNull = false;
    const CRuntimeClass* runtimeClass = ReadClassRecord(expected, nullptr, isNull);
    if (isNull) {
        return nullptr;
    }
    if (!runtimeClass) {
        throw CArchiveException(CArchiveException::badClass, "class not registered");
    }
    std::unique_ptr<CObject> object(runtimeClass->CreateObject());
    if (!object) {
        throw CArchiveException(CArchiveException::badClass, runtimeClass->m_lpszClassName);
    }
    object->Serialize(*this);
    return object;
}

const CRuntimeClass* CArchive::ReadClassRecord(const CRuntimeClass* expected,
                                               std::uint32_t* schema, bool& isNull)
{
    const auto tag = m_impl->Get<std::uint16_t>();
    isNull = tag == kNullTag;
    StoredClass record;
    if (isNull) {
        // Nothing more to read: the null object has no class.
    } else if (tag == kNewClassTag) {
        if (m_impl->loadedClasses.size() >= kMaxClassRecords) {
            throw CArchiveException(CArchiveException::badIndex);
        }
        record.schema = m_impl->Get<std::uint32_t>();
        const std::string name = ReadString();
        // A name with an embedded zero must not alias the registered name before the zero.
        if (name.find('\0') == std::string::npos) {
            record.runtimeClass = CRuntimeClass::FromName(name.c_str());
        }
        m_impl->loadedClasses.push_back(record);
    } else if ((tag & kClassReferenceBit) != 0) {
        const std::size_t index = tag & ~kClassReferenceBit;
        if (index == 0 || index > m_impl->loadedClasses.size()) {
            throw CArchiveException(CArchiveException::badIndex);
        }
        record = m_impl->loadedClasses[index - 1];
    } else {
        throw CArchiveException(CArchiveException::badIndex);
    }
    if (schema) {
        *schema = record.schema;
    }
    if (!record.runtimeClass) {
        return nullptr;
    }
    if (record.schema > record.runtimeClass->m_wSchema) {
        throw CArchiveException(CArchiveException::badSchema, record.runtimeClass->m_lpszClassName);
    }
    if (expected && !record.runtimeClass->IsDerivedFrom(expected)) {
        throw CArchiveException(CArchiveException::badClass, record.runtimeClass->m_lpszClassName);
    }
    return record.runtimeClass;
}

} // namespace Ombrel
