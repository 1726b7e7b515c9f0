#pragma once

#include "ombrel/base/FileTime.h"
#include "ombrel/base/Geometry.h"
#include "ombrel/platform/Messages.h"

#include <cstdint>

// Styles, messages and notifications of the standard controls and of dialogs, with the
// platform's numbers. Controls tell their parent about user actions with WM_COMMAND
// (wParam = MAKEWPARAM(control id, notification code), lParam = the control window) or, for
// the common controls, with WM_NOTIFY (an NMHDR-headed record).
//
// Text positions (EM_GETSEL, EM_SETSEL, caret index) are byte offsets into the control's UTF-8
// text, the unit of GetWindowTextLength; an offset inside a multi-byte character stands for
// the start of that character.

namespace Ombrel {

class CDC;

// ---- Window classes of the controls -------------------------------------------------------

constexpr const char* kEditClass = "Edit";
constexpr const char* kButtonClass = "Button";
constexpr const char* kStaticClass = "Static";
constexpr const char* kComboBoxClass = "ComboBox";
constexpr const char* kUpDownClass = "msctls_updown32";
constexpr const char* kMonthCalClass = "SysMonthCal32";
constexpr const char* kDialogClass = "#32770";

// ---- Messages shared by controls and dialogs ----------------------------------------------

constexpr UINT WM_NEXTDLGCTL = 0x0028;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
// High word of DM_GETDEFID's result when the dialog has a default button.
constexpr UINT DC_HASDEFID = 0x534B;

constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDCLOSE = 8;

constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;

// ---- Edit control -------------------------------------------------------------------------

constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_PASSWORD = 0x0020;
// The text always scrolls sideways as the caret moves; the style is accepted and changes
// nothing.
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_NUMBER = 0x2000; // only digits can be typed (set text is not checked)

constexpr UINT EM_GETSEL = 0x00B0;   // wParam, lParam: DWORD* start / end (may be null)
constexpr UINT EM_SETSEL = 0x00B1;   // wParam start, lParam end; start -1 removes the selection
constexpr UINT EM_REPLACESEL = 0x00C2; // lParam: const char* UTF-8
constexpr UINT EM_LIMITTEXT = 0x00C5;  // wParam: characters, 0 for the largest limit
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;
constexpr UINT EM_SETCARETINDEX = 0x1511;
constexpr UINT EM_GETCARETINDEX = 0x1512;

constexpr UINT EN_SETFOCUS = 0x0100;
constexpr UINT EN_KILLFOCUS = 0x0200;
constexpr UINT EN_CHANGE = 0x0300; // after the text changed
constexpr UINT EN_UPDATE = 0x0400; // the text changed, before it is shown

// The largest text an edit control holds when no smaller limit is set (EM_LIMITTEXT 0).
constexpr int kEditMaxTextLimit = 0x7FFFFFFE;

// ---- Buttons ------------------------------------------------------------------------------

constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_CHECKBOX = 0x0002;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_RADIOBUTTON = 0x0004;
constexpr DWORD BS_3STATE = 0x0005;
constexpr DWORD BS_AUTO3STATE = 0x0006;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
constexpr DWORD BS_TYPEMASK = 0x000F;

constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_SETSTYLE = 0x00F4; // wParam: the new BS_* type (push or default push)
constexpr UINT BM_CLICK = 0x00F5;

constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_INDETERMINATE = 2;

constexpr UINT BN_CLICKED = 0;

// ---- Static -------------------------------------------------------------------------------

constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_SIMPLE = 0x000B;
constexpr DWORD SS_LEFTNOWORDWRAP = 0x000C; // one line, cut at the right edge
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr DWORD SS_NOPREFIX = 0x0080;

// ---- Combo box ----------------------------------------------------------------------------

constexpr DWORD CBS_SIMPLE = 0x0001; // not available: creation fails
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_TYPEMASK = 0x0003;
// The parent draws the items (WM_DRAWITEM) at the height it gives once (WM_MEASUREITEM).
constexpr DWORD CBS_OWNERDRAWFIXED = 0x0010;
constexpr DWORD CBS_AUTOHSCROLL = 0x0040;
constexpr DWORD CBS_SORT = 0x0100;
constexpr DWORD CBS_HASSTRINGS = 0x0200;

constexpr UINT CB_ADDSTRING = 0x0143;    // lParam: const char*; returns the index
constexpr UINT CB_DELETESTRING = 0x0144; // returns the remaining count
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;    // wParam index, lParam: char buffer of GETLBTEXTLEN + 1
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A; // wParam index (-1: at the end)
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_FINDSTRING = 0x014C;      // prefix match, case-insensitive, after wParam
constexpr UINT CB_SETCURSEL = 0x014E;       // -1 clears; no notification
constexpr UINT CB_SHOWDROPDOWN = 0x014F;    // wParam: open (1) or close (0)
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_SETITEMHEIGHT = 0x0153;   // wParam -1: the selection field, else the items
constexpr UINT CB_GETITEMHEIGHT = 0x0154;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;

constexpr LRESULT CB_OKAY = 0;
constexpr LRESULT CB_ERR = -1;

constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT CBN_DBLCLK = 2;
constexpr UINT CBN_SETFOCUS = 3;
constexpr UINT CBN_KILLFOCUS = 4;
constexpr UINT CBN_EDITCHANGE = 5;
constexpr UINT CBN_DROPDOWN = 7;
constexpr UINT CBN_CLOSEUP = 8;
constexpr UINT CBN_SELENDOK = 9;     // the selection was accepted
constexpr UINT CBN_SELENDCANCEL = 10; // the list closed without accepting an item

// ---- Owner drawing ------------------------------------------------------------------------

constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODT_COMBOBOX = 3;

constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODA_FOCUS = 0x0004;

constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_FOCUS = 0x0010;
constexpr UINT ODS_COMBOBOXEDIT = 0x1000; // the item is drawn in the selection field

// WM_DRAWITEM's lParam (wParam: the control id). `hDC` draws on the control, clipped to
// `rcItem`, for the duration of the message only.
struct DRAWITEMSTRUCT
{
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0; // the item index; 0xFFFFFFFF for an empty selection field
    UINT itemAction = 0;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    CDC* hDC = nullptr;
    CRect rcItem;
    UINT_PTR itemData = 0;
};

// WM_MEASUREITEM's lParam (wParam: the control id); the parent fills itemHeight.
struct MEASUREITEMSTRUCT
{
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    UINT_PTR itemData = 0;
};

// ---- Up-down control (spin buttons) -------------------------------------------------------

constexpr DWORD UDS_WRAP = 0x0001;
constexpr DWORD UDS_SETBUDDYINT = 0x0002; // the buddy's text shows the position
constexpr DWORD UDS_ALIGNRIGHT = 0x0004;
constexpr DWORD UDS_ALIGNLEFT = 0x0008;
constexpr DWORD UDS_ARROWKEYS = 0x0020;
constexpr DWORD UDS_HORZ = 0x0040; // arrows left and right; steps are reported by WM_HSCROLL
constexpr DWORD UDS_NOTHOUSANDS = 0x0080;

constexpr UINT UDM_SETRANGE = WM_USER + 101; // lParam MAKELPARAM(upper, lower), 16-bit
constexpr UINT UDM_GETRANGE = WM_USER + 102; // MAKELONG(upper, lower)
constexpr UINT UDM_SETPOS = WM_USER + 103;   // lParam position; returns the previous one
constexpr UINT UDM_GETPOS = WM_USER + 104;
constexpr UINT UDM_SETBUDDY = WM_USER + 105; // wParam: the buddy window; returns the previous
constexpr UINT UDM_GETBUDDY = WM_USER + 106;
constexpr UINT UDM_SETRANGE32 = WM_USER + 111; // wParam lower, lParam upper
constexpr UINT UDM_GETRANGE32 = WM_USER + 112; // wParam, lParam: int* lower / upper
constexpr UINT UDM_SETPOS32 = WM_USER + 113;
constexpr UINT UDM_GETPOS32 = WM_USER + 114; // lParam: bool* error (may be null)

// Sent as WM_NOTIFY before every step; a non-zero result cancels the step, and the parent may
// change iDelta.
constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);

struct NMUPDOWN
{
    NMHDR hdr;
    int iPos = 0;   // the position before the step
    int iDelta = 0; // +1 for the up (right) arrow, -1 for the down (left) arrow
};

// ---- Month calendar -----------------------------------------------------------------------

// SYSTEMTIME (calendar date and time of day) is the one of ombrel/base/FileTime.h, so that
// calendar controls and file-time conversions share one type.
static_assert(sizeof(SYSTEMTIME) == 16, "SYSTEMTIME keeps the platform's eight 16-bit fields");

constexpr UINT MCM_GETCURSEL = 0x1001; // lParam: SYSTEMTIME*; returns non-zero on success
constexpr UINT MCM_SETCURSEL = 0x1002; // lParam: const SYSTEMTIME*; no notification

// WM_NOTIFY codes: MCN_SELCHANGE whenever the selected day changes by user action,
// MCN_SELECT when the user picks a day explicitly (click or Enter).
constexpr UINT MCN_SELECT = static_cast<UINT>(-746);
constexpr UINT MCN_SELCHANGE = static_cast<UINT>(-749);

struct NMSELCHANGE
{
    NMHDR nmhdr;
    SYSTEMTIME stSelStart;
    SYSTEMTIME stSelEnd;
};

// ---- Dialog templates ---------------------------------------------------------------------

constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_SETFONT = 0x0040; // the template names the dialog font
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_CENTER = 0x0800;

} // namespace Ombrel
