#include "ombrel/gui/services/detail/ClipboardFormatList.h"

#include "ombrel/gui/services/LocalDataFormat.h"
#include "ombrel/gui/services/TextClipboardFormat.h"

namespace Ombrel::GUI {

CClipboardFormatList::CClipboardFormatList() = default;

CClipboardFormatList::~CClipboardFormatList() = default;

void CClipboardFormatList::Add(IClipboardFormat* format)
{
    if (format != nullptr)
        m_formats.emplace_back(format);
}

void CClipboardFormatList::AddStandardFormats()
{
    Add(new CLocalDataFormat());
    Add(new CTextClipboardFormat());
}

std::vector<IClipboardFormat*> CClipboardFormatList::Get() const
{
    std::vector<IClipboardFormat*> formats;
    for (const auto& format : m_formats)
        formats.push_back(format.get());
    return formats;
}

} // namespace Ombrel::GUI
