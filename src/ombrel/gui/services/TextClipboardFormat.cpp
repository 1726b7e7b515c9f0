#include "ombrel/gui/services/TextClipboardFormat.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/Clipboard.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

namespace Ombrel::GUI {

namespace {

constexpr char kCellSeparator = '\t';
constexpr std::string_view kRowSeparator = "\r\n";
constexpr std::size_t kInitialCapacity = 4096;
// A clipboard block is measured in a signed 32-bit size.
constexpr std::size_t kMaxTextSize = static_cast<std::size_t>(std::numeric_limits<int>::max());

} // namespace

// The text is kept in a buffer of its own rather than a std::string so that the growth policy
// (doubling) is ours and measurable, whatever the standard library does.
struct CTextClipboardFormat::Impl
{
    std::unique_ptr<char[]> buffer;
    std::size_t size = 0;     // bytes built
    std::size_t capacity = 0; // bytes allocated
    bool overflowed = false;  // the text outgrew a clipboard block: nothing is offered

    void Append(std::string_view bytes)
    {
        if (overflowed || bytes.empty())
            return;
        if (bytes.size() > kMaxTextSize - size) {
            overflowed = true;
            return;
        }
        Reserve(size + bytes.size());
        std::memcpy(buffer.get() + size, bytes.data(), bytes.size());
        size += bytes.size();
    }

    void Reserve(std::size_t needed)
    {
        if (needed <= capacity)
            return;
        std::size_t grown = std::max(capacity * 2, kInitialCapacity);
        while (grown < needed)
            grown *= 2;
        auto larger = std::make_unique<char[]>(grown);
        if (size > 0)
            std::memcpy(larger.get(), buffer.get(), size);
        buffer = std::move(larger);
        capacity = grown;
    }
};

CTextClipboardFormat::CTextClipboardFormat() : m_impl(std::make_unique<Impl>()) {}

CTextClipboardFormat::~CTextClipboardFormat() = default;

void CTextClipboardFormat::Render(const std::vector<CGridItem*>& rows, CHeader* header)
{
    Clear();
    if (rows.empty() || header == nullptr)
        return;
    std::vector<CColumn*> columns;
    for (int index = 0; index < header->GetVisibleColumnCount(); ++index) {
        if (CColumn* column = header->GetVisibleColumn(index))
            columns.push_back(column);
    }
    if (columns.empty())
        return;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        Common::CDataObject* object = rows[r] ? rows[r]->GetDataObject() : nullptr;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (object != nullptr)
                m_impl->Append(object->GetFormattedValue(columns[c]->GetFieldId(),
                                                         columns[c]->GetFormat()));
            if (c + 1 < columns.size())
                m_impl->Append(std::string_view(&kCellSeparator, 1));
        }
        if (r + 1 < rows.size())
            m_impl->Append(kRowSeparator);
    }
    // A single empty cell produces nothing, and then nothing is offered either.
    if (m_impl->size > 0) {
        const char terminator = '\0';
        m_impl->Append(std::string_view(&terminator, 1));
    }
    if (m_impl->overflowed)
        Clear();
}

int CTextClipboardFormat::GetSize() const
{
    return static_cast<int>(m_impl->size);
}

void CTextClipboardFormat::GetData(void* destination, CGrid*, int, int)
{
    if (destination != nullptr && m_impl->size > 0)
        std::memcpy(destination, m_impl->buffer.get(), m_impl->size);
}

void CTextClipboardFormat::Clear()
{
    m_impl->size = 0;
    m_impl->overflowed = false;
}

UINT CTextClipboardFormat::GetClipboardFormat() const
{
    return CF_TEXT;
}

bool CTextClipboardFormat::Import(const void*, int, IObjectImporter*, ClipboardImport&)
{
    return false;
}

const char* CTextClipboardFormat::GetText() const
{
    return m_impl->buffer.get();
}

std::size_t CTextClipboardFormat::GetCapacity() const
{
    return m_impl->capacity;
}

} // namespace Ombrel::GUI
