#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/platform/Messages.h"

#include <cstdint>
#include <memory>

namespace Ombrel::GUI {

// Relays the messages of a control placed in a grid cell to listeners, and keeps the grid's
// picture of the cell right while the control lives there.
//
// Each message of the control goes to every sink (in registration order, with the adapter's
// owner value) before the control handles it. After the control has painted, the parts of its
// cell that the control does not cover are repainted by the grid; when the control loses the
// focus the whole grid window is repainted (the cell may show its value again). The control's
// destruction detaches the adapter.
//
// The grid makes one adapter per cell with a control (CGrid::AttachEmbeddedControl), owns it
// and places the control on the cell; everything runs on the window thread.
class CEmbeddedControlAdapter
{
public:
    class ISink
    {
    public:
        virtual void OnControlMessage(std::uintptr_t ownerValue, UINT message, WPARAM wParam,
                                      LPARAM lParam) = 0;

    protected:
        ~ISink() = default;
    };

    // `gridWindow` is the window the control's cell belongs to (it may be null for a control
    // outside of any grid).
    explicit CEmbeddedControlAdapter(CWnd* gridWindow);
    ~CEmbeddedControlAdapter(); // detaches
    CEmbeddedControlAdapter(const CEmbeddedControlAdapter&) = delete;
    CEmbeddedControlAdapter& operator=(const CEmbeddedControlAdapter&) = delete;

    // Hooks `control`; false for a window that does not exist or while a control is attached.
    bool Attach(CWnd* control);
    // Unhooks the control; it stays where it is. False when none is attached.
    bool Detach();
    CWnd* GetControl() const;

    // A sink is told of messages until it is removed; the adapter does not own it. A sink
    // added twice is told once.
    void AddSink(ISink* sink);
    void RemoveSink(ISink* sink);
    // A value of the owner's choosing, passed to every sink.
    void SetOwnerValue(std::uintptr_t value);
    std::uintptr_t GetOwnerValue() const;

    // The cell the control is placed on, in the grid's client coordinates; set by the grid.
    void SetCellRect(const CRect& cell);
    CRect GetCellRect() const;

    class CImpl;

private:
    std::unique_ptr<CImpl> m_impl;
};

} // namespace Ombrel::GUI
