#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/base/String.h"
#include "ombrel/platform/ControlMessages.h"

#include <vector>

namespace Ombrel {

// One control of a dialog template. Rectangles are in dialog units (left, top, right, bottom
// within the dialog's client area): a horizontal unit is a quarter of the dialog font's average
// character width, a vertical unit an eighth of its height.
struct DialogItemTemplate
{
    CString className; // a registered window class ("Button", "Edit", ...)
    UINT id = 0;
    CString text;
    DWORD style = 0; // WS_CHILD is implied
    DWORD exStyle = 0;
    CRect rect;
};

// A dialog described in memory: caption, styles, place and size (dialog units, the client
// area), font and controls in creation (and tab) order. A value type; CDialog reads it when it
// builds the dialog, so one template may serve many dialogs.
class CDialogTemplate
{
public:
    CDialogTemplate() = default;
    // `pointSize` 0 (or no DS_SETFONT in `style`) uses the default GUI font.
    CDialogTemplate(const char* caption, DWORD style, const CRect& rect, int pointSize = 0,
                    const char* faceName = nullptr, DWORD exStyle = 0);

    CDialogTemplate& AddItem(const char* className, UINT id, const char* text, DWORD style,
                             const CRect& rect, DWORD exStyle = 0);

    const CString& GetCaption() const { return m_caption; }
    DWORD GetStyle() const { return m_style; }
    DWORD GetExStyle() const { return m_exStyle; }
    const CRect& GetRect() const { return m_rect; }
    int GetPointSize() const { return m_pointSize; }
    const CString& GetFaceName() const { return m_faceName; }
    const std::vector<DialogItemTemplate>& GetItems() const { return m_items; }

private:
    CString m_caption;
    DWORD m_style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    DWORD m_exStyle = 0;
    CRect m_rect;
    int m_pointSize = 0; // points; 0: the default GUI font
    CString m_faceName;
    std::vector<DialogItemTemplate> m_items;
};

} // namespace Ombrel
