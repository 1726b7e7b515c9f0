#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/platform/DropEffect.h"

#include <memory>

namespace Ombrel {

class COleDataObject;
class CWnd;

// Makes a window a drop target: while data is dragged over it, from this application or
// another, the callbacks below run on the window thread.
//
//   OnDragEnter -> OnDragOver ... -> OnDrop        (the data was dropped)
//                                 -> OnDragLeave   (the pointer left, or the drag was cancelled)
//
// `keyState` holds MK_LBUTTON, MK_RBUTTON, MK_MBUTTON, MK_SHIFT, MK_CONTROL and MK_ALT as they
// are while the pointer moves; `point` is in the window's client coordinates. An enter that
// answers DROPEFFECT_NONE refuses the whole drag: the window hears nothing more of it until the
// pointer enters again. An over that answers none refuses a drop at that point only.
// The data object passed is valid during the call only.
class COleDropTarget
{
public:
    COleDropTarget();
    // Revokes the registration.
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    // Registers for `window`; false when the window has no widget or belongs to another
    // thread, or when this target is registered already. The registration ends with Revoke,
    // with this object, or with the window.
    bool Register(CWnd* window);
    void Revoke();
    bool IsRegistered() const;

    virtual DROPEFFECT OnDragEnter(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point);
    virtual void OnDragLeave(CWnd* window);
    // `dropEffect` is the effect the last OnDragOver answered; the answer is the effect
    // performed (none: refused).
    virtual DROPEFFECT OnDrop(CWnd* window, COleDataObject* data, DROPEFFECT dropEffect,
                              DWORD keyState, CPoint point);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel
