#pragma once

// What the control classes (CEdit, CButton, CComboBox, ...) share: each of their operations
// is one message sent to the control's window. Private to the framework layer.

#include "ombrel/platform/Wnd.h"

#include <cstdint>

namespace Ombrel::Detail {

// Sends to the control; also from const queries, since asking a control for its state is a
// message that changes nothing.
inline LRESULT SendToControl(const CWnd& control, UINT message, WPARAM wParam = 0,
                             LPARAM lParam = 0)
{
    return const_cast<CWnd&>(control).SendMessage(message, wParam, lParam);
}

// An item index as wParam: -1 keeps all its bits, as the controls read it back as an int.
inline WPARAM IndexParam(int index)
{
    return static_cast<WPARAM>(static_cast<std::int64_t>(index));
}

} // namespace Ombrel::Detail
