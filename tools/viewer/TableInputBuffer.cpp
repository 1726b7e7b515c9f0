#include "TableInputBuffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "Utf8Repair.h"

namespace Ombrel::Viewer {

namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;

// The length of the tail of `bytes` that starts a UTF-8 sequence longer than what remains:
// it belongs to the next block.
std::size_t IncompleteTail(const std::string& bytes)
{
    const std::size_t scan = std::min<std::size_t>(3, bytes.size());
    for (std::size_t back = 1; back <= scan; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: keep looking for the lead
        const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return needed > back ? back : 0;
    }
    return 0;
}

} // namespace

CTableInputBuffer::CTableInputBuffer(std::istream& source, BlockObserver observer)
    : m_source(source), m_observer(std::move(observer))
{
}

void CTableInputBuffer::AccountConsumedBlock()
{
    const auto newlines = static_cast<std::uint64_t>(std::count(m_block.begin(), m_block.end(), '\n'));
    m_linesBefore += newlines;
    const std::size_t lastNewline = m_block.rfind('\n');
    m_lineStartBefore = lastNewline == std::string::npos ? m_lineStartBefore + m_block.size()
                                                         : m_block.size() - lastNewline - 1;
}

CTableInputBuffer::int_type CTableInputBuffer::underflow()
{
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (m_stopped)
        return traits_type::eof();
    AccountConsumedBlock();
    m_block.clear();
    // A read that yields only the start of a sequence gives an empty block: read on.
    bool more = true;
    while (m_block.empty() && more)
        more = ReadBlock();
    setg(m_block.data(), m_block.data(), m_block.data() + m_block.size());
    if (m_block.empty())
        return traits_type::eof();
    return traits_type::to_int_type(*gptr());
}

bool CTableInputBuffer::ReadBlock()
{
    std::string raw = std::move(m_carry);
    m_carry.clear();
    const std::size_t kept = raw.size();
    raw.resize(kept + kBlockBytes);
    m_source.read(raw.data() + kept, static_cast<std::streamsize>(kBlockBytes));
    const auto got = static_cast<std::size_t>(m_source.gcount());
    raw.resize(kept + got);
    m_sourceBytes += got;
    if (got > 0 && std::memchr(raw.data() + kept, '\0', got) != nullptr)
        m_sawZeroByte = true;
    if (got > 0) {
        // At the end of the source the tail is what it is: repaired below, not carried.
        const std::size_t tail = IncompleteTail(raw);
        m_carry.assign(raw, raw.size() - tail, tail);
        raw.resize(raw.size() - tail);
    }
    if (m_first && raw.compare(0, 3, "\xEF\xBB\xBF") == 0)
        raw.erase(0, 3);
    m_first = m_first && raw.empty();
    m_repairs += RepairUtf8(raw);
    m_block = std::move(raw);
    if (got > 0 && m_observer && !m_observer(m_sourceBytes)) {
        m_stopped = true;
        m_block.clear();
        return false;
    }
    return got > 0;
}

std::uint64_t CTableInputBuffer::GetLine() const
{
    const char* begin = eback();
    const auto newlines = begin == nullptr ? 0 : std::count(begin, static_cast<const char*>(gptr()), '\n');
    return m_linesBefore + static_cast<std::uint64_t>(newlines) + 1;
}

std::uint64_t CTableInputBuffer::GetColumn() const
{
    const char* begin = eback();
    if (begin == nullptr)
        return m_lineStartBefore + 1;
    const char* position = gptr();
    const char* lineStart = position;
    while (lineStart > begin && lineStart[-1] != '\n')
        --lineStart;
    const auto inBlock = static_cast<std::uint64_t>(position - lineStart);
    return (lineStart == begin ? m_lineStartBefore : 0) + inBlock + 1;
}

} // namespace Ombrel::Viewer
