#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <streambuf>
#include <string>

namespace Ombrel::Viewer {

// The bytes of a table file as its readers see them: a UTF-8 byte-order mark dropped, every
// invalid UTF-8 sequence replaced with U+FFFD (also one split across two reads), and the line
// of the read position known, so that a reader can say where something went wrong.
//
// Reads the underlying stream in blocks; the stream must outlive the buffer.
class CTableInputBuffer : public std::streambuf
{
public:
    // Called after each block with the bytes read so far; false stops: the buffer then ends
    // as if the source had.
    using BlockObserver = std::function<bool(std::uint64_t bytesRead)>;

    CTableInputBuffer(std::istream& source, BlockObserver observer);

    // Line (from 1) and byte column (from 1) of the next byte a reader will get.
    std::uint64_t GetLine() const;
    std::uint64_t GetColumn() const;
    // Bytes taken from the source so far (for progress against the file's size).
    std::uint64_t GetSourceBytesRead() const { return m_sourceBytes; }
    // How many invalid bytes were replaced so far.
    std::uint64_t GetRepairCount() const { return m_repairs; }
    // True when the source held a zero byte, which no text table does.
    bool SawZeroByte() const { return m_sawZeroByte; }
    // True when the observer stopped the reading.
    bool WasStopped() const { return m_stopped; }

protected:
    int_type underflow() override;

private:
    // Reads, repairs and keeps the next block of the source; false at its end.
    bool ReadBlock();
    // Counts the lines and the start of the last line in the block about to be dropped.
    void AccountConsumedBlock();

    std::istream& m_source;
    BlockObserver m_observer;
    std::string m_block;       // the current block, repaired
    std::string m_carry;       // an incomplete sequence at the end of the last raw block
    std::uint64_t m_linesBefore = 0;   // newlines in the blocks already consumed
    std::uint64_t m_lineStartBefore = 0; // bytes since the last newline, in consumed blocks
    std::uint64_t m_sourceBytes = 0;
    std::uint64_t m_repairs = 0;
    bool m_first = true;
    bool m_sawZeroByte = false;
    bool m_stopped = false;
};

} // namespace Ombrel::Viewer
