#include "ombrel/gui/services/LocalDataFormat.h"

#include "ombrel/base/ThreadId.h"
#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/Clipboard.h"

#include <chrono>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <utility>

namespace Ombrel::GUI {

namespace {

// Field offsets of the block (see the table in LocalDataFormat.h).
constexpr std::size_t kProcessOffset = 0;
constexpr std::size_t kTokenOffset = 4;
constexpr std::size_t kGridOffset = 12;
constexpr std::size_t kRowTypesOffset = 20;
constexpr std::size_t kCountOffset = 24;
constexpr std::size_t kOperationOffset = 28;
constexpr std::size_t kEntryRowOffset = 0;
constexpr std::size_t kEntryObjectOffset = 8;
static_assert(kOperationOffset + 4 == CLocalDataFormat::kHeaderSize,
              "the header ends after the operation: change kHeaderSize with the fields");
static_assert(kEntryObjectOffset + 8 == CLocalDataFormat::kEntrySize,
              "an entry is two 64-bit addresses: change kEntrySize with the fields");
static_assert(sizeof(void*) <= sizeof(std::uint64_t), "addresses are stored in 64 bits");

// The most rows one block can carry: its size is a signed 32-bit number.
constexpr std::size_t kMaxRows =
    (static_cast<std::size_t>(std::numeric_limits<int>::max()) - CLocalDataFormat::kHeaderSize) /
    CLocalDataFormat::kEntrySize;

// Fixed-width little-endian fields, byte by byte, so neither alignment nor the host's byte
// order matters.
template <class T>
void Put(unsigned char* at, T value)
{
    auto bits = static_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        at[i] = static_cast<unsigned char>(bits >> (8 * i));
}

template <class T>
T Get(const unsigned char* at)
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bits |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    return static_cast<T>(bits);
}

std::uint64_t AddressBits(const void* address)
{
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address));
}

template <class T>
T* FromAddressBits(std::uint64_t bits)
{
    return reinterpret_cast<T*>(static_cast<std::uintptr_t>(bits));
}

std::uint64_t MakeInstanceToken()
{
    std::random_device device;
    std::uint64_t token = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    token ^= static_cast<std::uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    return token;
}

// The header fields of a block whose size has been checked to hold them.
struct BlockHeader
{
    std::uint32_t process = 0;
    std::uint64_t token = 0;
    std::uint64_t grid = 0;
    std::int32_t rowTypes = 0;
    std::uint32_t count = 0;
    std::int32_t operation = 0;

    static BlockHeader Read(const unsigned char* bytes)
    {
        BlockHeader header;
        header.process = Get<std::uint32_t>(bytes + kProcessOffset);
        header.token = Get<std::uint64_t>(bytes + kTokenOffset);
        header.grid = Get<std::uint64_t>(bytes + kGridOffset);
        header.rowTypes = Get<std::int32_t>(bytes + kRowTypesOffset);
        header.count = Get<std::uint32_t>(bytes + kCountOffset);
        header.operation = Get<std::int32_t>(bytes + kOperationOffset);
        return header;
    }

    // Produced by this process run, for a known operation, with exactly `size` bytes for the
    // rows it counts.
    bool IsAcceptable(std::size_t size) const
    {
        if (process != GetCurrentProcessId() || token != CLocalDataFormat::GetInstanceToken())
            return false;
        if (operation != ClipboardCopy && operation != ClipboardCut)
            return false;
        if (count == 0 || count > kMaxRows)
            return false;
        return size == CLocalDataFormat::kHeaderSize + count * CLocalDataFormat::kEntrySize;
    }
};

} // namespace

struct CLocalDataFormat::Impl
{
    // The rows given to Render and the object each showed then.
    std::vector<std::pair<CGridItem*, Common::CDataObject*>> entries;
};

CLocalDataFormat::CLocalDataFormat() : m_impl(std::make_unique<Impl>()) {}

CLocalDataFormat::~CLocalDataFormat() = default;

std::uint64_t CLocalDataFormat::GetInstanceToken()
{
    static const std::uint64_t token = MakeInstanceToken();
    return token;
}

void CLocalDataFormat::Render(const std::vector<CGridItem*>& rows, CHeader*)
{
    Clear();
    if (rows.size() > kMaxRows)
        return;
    m_impl->entries.reserve(rows.size());
    for (CGridItem* row : rows) {
        if (row != nullptr)
            m_impl->entries.emplace_back(row, row->GetDataObject());
    }
}

int CLocalDataFormat::GetSize() const
{
    if (m_impl->entries.empty())
        return 0;
    return static_cast<int>(kHeaderSize + m_impl->entries.size() * kEntrySize);
}

void CLocalDataFormat::GetData(void* destination, CGrid* grid, int rowTypes, int operation)
{
    if (destination == nullptr || m_impl->entries.empty())
        return;
    auto* bytes = static_cast<unsigned char*>(destination);
    Put<std::uint32_t>(bytes + kProcessOffset, GetCurrentProcessId());
    Put<std::uint64_t>(bytes + kTokenOffset, GetInstanceToken());
    Put<std::uint64_t>(bytes + kGridOffset, AddressBits(grid));
    Put<std::int32_t>(bytes + kRowTypesOffset, rowTypes);
    Put<std::uint32_t>(bytes + kCountOffset, static_cast<std::uint32_t>(m_impl->entries.size()));
    Put<std::int32_t>(bytes + kOperationOffset, operation);
    unsigned char* entry = bytes + kHeaderSize;
    for (const auto& [row, object] : m_impl->entries) {
        Put<std::uint64_t>(entry + kEntryRowOffset, AddressBits(row));
        Put<std::uint64_t>(entry + kEntryObjectOffset, AddressBits(object));
        entry += kEntrySize;
    }
}

void CLocalDataFormat::Clear()
{
    m_impl->entries.clear();
}

UINT CLocalDataFormat::GetClipboardFormat() const
{
    return GetLocalDataClipboardFormat();
}

bool CLocalDataFormat::Import(const void* data, int size, IObjectImporter*,
                              ClipboardImport& record)
{
    if (data == nullptr || size <= 0 || static_cast<std::size_t>(size) < kHeaderSize)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const BlockHeader header = BlockHeader::Read(bytes);
    if (!header.IsAcceptable(static_cast<std::size_t>(size)))
        return false;

    record.sourceGrid = FromAddressBits<const CGrid>(header.grid);
    record.rowTypes = header.rowTypes & 3;
    record.operation = header.operation;
    record.format = GetClipboardFormat();
    const CDispatcher& dispatcher = CDispatcher::GetInstance();
    std::set<const CGridItem*> seen;
    const unsigned char* entry = bytes + kHeaderSize;
    for (std::uint32_t i = 0; i < header.count; ++i, entry += kEntrySize) {
        auto* row = FromAddressBits<CGridItem>(Get<std::uint64_t>(entry + kEntryRowOffset));
        auto* object =
            FromAddressBits<Common::CDataObject>(Get<std::uint64_t>(entry + kEntryObjectOffset));
        // Only the registry vouches for an address: a row that died since the copy (or never
        // lived) is left out, and a row named twice is taken once.
        if (row == nullptr || object == nullptr || !dispatcher.IsRegistered(object, row) ||
            !seen.insert(row).second)
            continue;
        record.rows.push_back(row);
        record.objects.push_back(object);
    }
    return !record.rows.empty();
}

// ---- Registered format names ------------------------------------------------------------------

UINT GetLocalDataClipboardFormat()
{
    static const UINT format = RegisterClipboardFormat("Ombrel.LocalDataFormat");
    return format;
}

UINT GetRemoteDataClipboardFormat()
{
    static const UINT format = RegisterClipboardFormat("Ombrel.RemoteDataFormat");
    return format;
}

} // namespace Ombrel::GUI
