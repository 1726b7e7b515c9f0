#include "ombrel/platform/DialogTemplate.h"

namespace Ombrel {

CDialogTemplate::CDialogTemplate(const char* caption, DWORD style, const CRect& rect, int pointSize,
                                 const char* faceName, DWORD exStyle)
    : m_caption(caption != nullptr ? caption : ""), m_style(style), m_exStyle(exStyle), m_rect(rect),
      m_pointSize(std::max(pointSize, 0)), m_faceName(faceName != nullptr ? faceName : "")
{
}

CDialogTemplate& CDialogTemplate::AddItem(const char* className, UINT id, const char* text, DWORD style,
                                          const CRect& rect, DWORD exStyle)
{
    DialogItemTemplate item;
    item.className = className != nullptr ? className : "";
    item.id = id;
    item.text = text != nullptr ? text : "";
    item.style = style;
    item.exStyle = exStyle;
    item.rect = rect;
    m_items.push_back(std::move(item));
    return *this;
}

} // namespace Ombrel
