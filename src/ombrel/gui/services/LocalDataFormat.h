#pragma once

#include "ombrel/gui/services/ClipboardFormat.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Ombrel::GUI {

// References to rows and their data objects, for pasting inside the producing process
// ("Ombrel.LocalDataFormat"). Little-endian, addresses at 64 bits:
//
//   offset  size  field
//        0     4  producer's process identifier
//        4     8  producer's instance token (random per process run: a process identifier
//                 reused by another process, or another container, does not match it)
//       12     8  address of the source grid
//       20     4  row types the rows were taken from (bit 0 fixed, bit 1 normal)
//       24     4  row count n (1 or more)
//       28     4  operation (1 copy, 2 cut)
//  32 + 16i     8  address of row i
//  40 + 16i     8  address of the data object of row i
//
// Size 32 + 16n; nothing (size 0) without rows.
//
// Import treats the block as untrusted: it refuses a block of another size than its row count
// gives, of another process or process run, or with an unknown operation, and it keeps only
// the entries whose (object, row) pair the dispatcher still has registered. Addresses are
// compared, never dereferenced, until that check has passed.
class CLocalDataFormat : public IClipboardFormat
{
public:
    static constexpr std::size_t kHeaderSize = 32;
    static constexpr std::size_t kEntrySize = 16;

    CLocalDataFormat();
    ~CLocalDataFormat() override;
    CLocalDataFormat(const CLocalDataFormat&) = delete;
    CLocalDataFormat& operator=(const CLocalDataFormat&) = delete;

    void Render(const std::vector<CGridItem*>& rows, CHeader* header) override;
    int GetSize() const override;
    void GetData(void* destination, CGrid* grid, int rowTypes, int operation) override;
    void Clear() override;
    // The registered "Ombrel.LocalDataFormat".
    UINT GetClipboardFormat() const override;
    bool Import(const void* data, int size, IObjectImporter* importer,
                ClipboardImport& record) override;

    // The token written at offset 4, the same for every block of this process run.
    static std::uint64_t GetInstanceToken();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
