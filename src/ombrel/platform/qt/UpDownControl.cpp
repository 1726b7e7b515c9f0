// The "msctls_updown32" window class: spin buttons, a pair of arrow QToolButtons that step a
// position within a range.
//
// Each step, from a click on an arrow (repeated while the arrow is held), from Up/Down on the
// buddy (UDS_ARROWKEYS), goes:
//   WM_NOTIFY UDN_DELTAPOS {iPos, iDelta} to the parent   (non-zero result: no step; the parent
//                                                          may change iDelta)
//   position = iPos + iDelta, kept in the range (UDS_WRAP: to the other end)
//   the buddy's text shows the position (UDS_SETBUDDYINT)
//   WM_VSCROLL (UDS_HORZ: WM_HSCROLL) MAKEWPARAM(SB_THUMBPOSITION, position), lParam = control
// and releasing the arrow sends SB_ENDSCROLL the same way. The up (right) arrow moves toward
// the range's upper bound, which may be below the lower one: the platform's default range is
// lower 100, upper 0, where the up arrow counts down.

#include "ombrel/platform/qt/NativeControl.h"

#include "ombrel/platform/WindowHook.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/HostWidget.h"

#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace Ombrel::Internal {
namespace {

// Gives Up and Down typed into the buddy to the spin buttons.
class BuddyKeysHook : public CWindowHook
{
public:
    explicit BuddyKeysHook(std::function<void(int direction)> step) : m_step(std::move(step)) {}

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
            m_step(wParam == VK_UP ? +1 : -1);
            return 0;
        }
        return CallNext(message, wParam, lParam);
    }

private:
    std::function<void(int)> m_step;
};

class UpDownControl : public NativeControl
{
public:
    UpDownControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs)
        : NativeControl(window, host), m_style(cs.style), m_panel(new QWidget(&host)),
          m_buddyKeys([this](int direction) { Step(direction); })
    {
        bool horizontal = (cs.style & UDS_HORZ) != 0;
        QBoxLayout* layout = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(m_panel))
                                        : static_cast<QBoxLayout*>(new QVBoxLayout(m_panel));
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        // Left/down first in reading order: the layout places the first button left or on top.
        QToolButton* first = MakeArrow(horizontal ? Qt::LeftArrow : Qt::UpArrow, horizontal ? -1 : +1);
        QToolButton* second = MakeArrow(horizontal ? Qt::RightArrow : Qt::DownArrow, horizontal ? +1 : -1);
        layout->addWidget(first);
        layout->addWidget(second);
        SetWidget(m_panel, {first, second});
    }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    void OnDetach() override
    {
        m_buddyKeys.Unhook();
    }

private:
    QToolButton* MakeArrow(Qt::ArrowType arrow, int direction)
    {
        auto* button = new QToolButton(m_panel);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setAutoRepeatDelay(500);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        QObject::connect(button, &QToolButton::clicked, this, [this, direction] { Step(direction); });
        QObject::connect(button, &QToolButton::released, this, [this, button] {
            // Auto-repeat releases keep the button down. The toolkit reports the release
            // before the click it completes: the end follows once the click was stepped.
            if (!button->isDown())
                QTimer::singleShot(0, this, [this] { Report(SB_ENDSCROLL); });
        });
        return button;
    }

    int Lowest() const { return std::min(m_lower, m_upper); }
    int Highest() const { return std::max(m_lower, m_upper); }

    // `direction`: +1 for the up (right) arrow, -1 for the down (left) one.
    void Step(int direction)
    {
        ReadBuddy();
        NMUPDOWN change;
        change.iPos = m_pos;
        change.iDelta = m_upper >= m_lower ? direction : -direction;
        if (NotifyParent(change.hdr, UDN_DELTAPOS) != 0 || Window() == nullptr)
            return;
        std::int64_t next = static_cast<std::int64_t>(m_pos) + change.iDelta;
        if (next > Highest())
            next = (m_style & UDS_WRAP) ? Lowest() : Highest();
        else if (next < Lowest())
            next = (m_style & UDS_WRAP) ? Highest() : Lowest();
        SetPosition(static_cast<int>(next));
        Report(SB_THUMBPOSITION);
    }

    void Report(UINT code)
    {
        CWnd* window = Window();
        CWnd* parent = window != nullptr ? window->GetParent() : nullptr;
        if (parent == nullptr)
            return;
        UINT message = (m_style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
        SendMessage(parent, message, MAKEWPARAM(code, static_cast<std::uint32_t>(m_pos)), reinterpret_cast<LPARAM>(window));
    }

    int SetPosition(int position)
    {
        int previous = m_pos;
        m_pos = std::clamp(position, Lowest(), Highest());
        if ((m_style & UDS_SETBUDDYINT) && m_buddy != nullptr && IsWindow(m_buddy))
            m_buddy->SetWindowText(std::to_string(m_pos).c_str());
        return previous;
    }

    // With UDS_SETBUDDYINT the buddy's text is the position; false when it holds no number.
    bool ReadBuddy()
    {
        if (!(m_style & UDS_SETBUDDYINT) || m_buddy == nullptr || !IsWindow(m_buddy))
            return true;
        CString text = m_buddy->GetWindowText();
        char* end = nullptr;
        long value = std::strtol(text.GetString(), &end, 10);
        if (end == text.GetString() || *end != '\0' || value < Lowest() || value > Highest())
            return false;
        m_pos = static_cast<int>(value);
        return true;
    }

    CWnd* SetBuddy(CWnd* buddy)
    {
        CWnd* previous = m_buddy;
        m_buddyKeys.Unhook();
        m_buddy = buddy != nullptr && IsWindow(buddy) ? buddy : nullptr;
        if (m_buddy != nullptr && (m_style & UDS_ARROWKEYS))
            m_buddyKeys.Hook(m_buddy);
        SetPosition(m_pos);
        return previous != nullptr && IsWindow(previous) ? previous : nullptr;
    }

    DWORD m_style;
    QWidget* m_panel;
    BuddyKeysHook m_buddyKeys;
    CWnd* m_buddy = nullptr;
    int m_lower = 100; // the platform's default range
    int m_upper = 0;
    int m_pos = 0;
};

bool UpDownControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case UDM_SETRANGE:
        m_upper = static_cast<std::int16_t>(LOWORD(static_cast<std::uint64_t>(lParam)));
        m_lower = static_cast<std::int16_t>(HIWORD(static_cast<std::uint64_t>(lParam)));
        return true;
    case UDM_SETRANGE32:
        m_lower = static_cast<std::int32_t>(wParam);
        m_upper = static_cast<std::int32_t>(lParam);
        return true;
    case UDM_GETRANGE:
        result = MAKELPARAM(m_upper, m_lower);
        return true;
    case UDM_GETRANGE32:
        if (wParam != 0) *reinterpret_cast<int*>(wParam) = m_lower;
        if (lParam != 0) *reinterpret_cast<int*>(lParam) = m_upper;
        return true;
    case UDM_SETPOS:
        result = SetPosition(static_cast<std::int16_t>(lParam));
        return true;
    case UDM_SETPOS32:
        result = SetPosition(static_cast<std::int32_t>(lParam));
        return true;
    case UDM_GETPOS: {
        bool valid = ReadBuddy();
        result = MAKELPARAM(m_pos, valid ? 0 : 1);
        return true;
    }
    case UDM_GETPOS32: {
        bool valid = ReadBuddy();
        if (lParam != 0) *reinterpret_cast<bool*>(lParam) = !valid;
        result = m_pos;
        return true;
    }
    case UDM_SETBUDDY:
        result = reinterpret_cast<LRESULT>(SetBuddy(reinterpret_cast<CWnd*>(wParam)));
        return true;
    case UDM_GETBUDDY:
        result = m_buddy != nullptr && IsWindow(m_buddy) ? reinterpret_cast<LRESULT>(m_buddy) : 0;
        return true;
    default:
        return NativeControl::HandleMessage(message, wParam, lParam, result);
    }
}

} // namespace

NativeControl* CreateUpDownControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs)
{
    return new UpDownControl(window, host, cs);
}

} // namespace Ombrel::Internal
