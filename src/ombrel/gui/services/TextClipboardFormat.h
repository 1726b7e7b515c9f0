#pragma once

#include "ombrel/gui/services/ClipboardFormat.h"

#include <cstddef>
#include <memory>

namespace Ombrel::GUI {

// Rows as tab-separated text (CF_TEXT, UTF-8): per row the cell texts of the header's
// visible columns in header order, each formatted with its column's format, separated by a
// tab; rows separated by CR LF (none after the last); one terminating NUL. Nothing is built
// without rows or without a visible column. Text is never imported.
//
// The buffer doubles when it runs out, so building n bytes costs O(n) amortised.
class CTextClipboardFormat : public IClipboardFormat
{
public:
    CTextClipboardFormat();
    ~CTextClipboardFormat() override;
    CTextClipboardFormat(const CTextClipboardFormat&) = delete;
    CTextClipboardFormat& operator=(const CTextClipboardFormat&) = delete;

    void Render(const std::vector<CGridItem*>& rows, CHeader* header) override;
    int GetSize() const override;
    void GetData(void* destination, CGrid* grid, int rowTypes, int operation) override;
    void Clear() override;
    // CF_TEXT.
    UINT GetClipboardFormat() const override;
    // Always false: text carries no rows to paste.
    bool Import(const void* data, int size, IObjectImporter* importer,
                ClipboardImport& record) override;

    // The built bytes (GetSize() of them) and the room reserved for them.
    const char* GetText() const;
    std::size_t GetCapacity() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
