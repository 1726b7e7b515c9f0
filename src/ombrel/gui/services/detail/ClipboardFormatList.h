#pragma once

#include <memory>
#include <vector>

namespace Ombrel::GUI {

class IClipboardFormat;

// The clipboard formats a service (copy and paste, drag and drop) offers and reads, owned, in
// the order they were added: a service writes each and reads with the first that takes the data.
class CClipboardFormatList
{
public:
    CClipboardFormatList();
    ~CClipboardFormatList();

    // Takes `format`; null is ignored.
    void Add(IClipboardFormat* format);
    // The pair the process-wide services start with: the rows themselves (within the process),
    // then tab-separated text for other programs.
    void AddStandardFormats();
    std::vector<IClipboardFormat*> Get() const;

    bool empty() const { return m_formats.empty(); }
    auto begin() const { return m_formats.begin(); }
    auto end() const { return m_formats.end(); }

private:
    std::vector<std::unique_ptr<IClipboardFormat>> m_formats;
};

} // namespace Ombrel::GUI
