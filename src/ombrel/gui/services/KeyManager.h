#pragma once

#include "ombrel/gui/AutoDelete.h"
#include "ombrel/platform/Messages.h"

#include <memory>

namespace Ombrel::GUI {

class CGrid;

// Turns key presses in a grid window into grid operations. The grid hands it every key-down
// and key-up of its own window (from PreTranslateMessage), and keyboard commands (operation
// 176, kinds MoveUp .. MoveEnd). Window thread only.
//
// The movement operations take `extend` (Shift: extend the selection over the rows passed)
// and `focusOnly` (Ctrl: move the focus and leave the selection alone).
class IKeyManager
{
public:
    virtual ~IKeyManager() = default;

    // True when the key was handled; the grid then consumes the message.
    virtual bool OnKeyDown(CGrid* grid, UINT virtualKey, UINT repeatCount, UINT flags) = 0;
    virtual bool OnKeyUp(CGrid* grid, UINT virtualKey, UINT repeatCount, UINT flags) = 0;
    virtual void MoveUp(CGrid* grid, bool extend, bool focusOnly) = 0;
    virtual void MoveDown(CGrid* grid, bool extend, bool focusOnly) = 0;
    virtual void PageUp(CGrid* grid, bool extend, bool focusOnly) = 0;
    virtual void PageDown(CGrid* grid, bool extend, bool focusOnly) = 0;
    virtual void MoveHome(CGrid* grid, bool extend, bool focusOnly) = 0;
    virtual void MoveEnd(CGrid* grid, bool extend, bool focusOnly) = 0;
    // Collapse the focused row, or go to its parent (or the previous top-level row).
    virtual void MoveLeft(CGrid* grid) = 0;
    // Expand the focused row, or go to its first child (or on into the normal rows).
    virtual void MoveRight(CGrid* grid) = 0;
};

// The standard key manager. It keeps no grid state: the focus, the selection and the view are
// read from the grid and changed through its public operations each time, so one manager
// serves any number of grids (the process-wide default does).
//
// Keys: Enter toggles the focused row, Escape drops focus and selection, Space and Shift+Space
// page down and up, the arrows, Page Up/Down, Home and End move, and Ctrl+A, Ctrl+C, Ctrl+X,
// Ctrl+V (without Shift) select all, copy, cut and paste through the grid's copy-paste
// service. Shift extends, Ctrl moves the focus only; their state is read when the key comes.
//
// Fixed rows come before the normal rows in keyboard order; a row type that is not a keyboard
// type of the grid (IsKeyboardType) is never a target, and a focus in such a type counts as
// none.
class CKeyManager : public IKeyManager, public virtual IAutoDelete
{
public:
    // `autoDelete`: a grid that drops or replaces this manager deletes it.
    explicit CKeyManager(bool autoDelete = true);
    ~CKeyManager() override;
    CKeyManager(const CKeyManager&) = delete;
    CKeyManager& operator=(const CKeyManager&) = delete;

    // The process-wide manager of grids that have none of their own (not auto-deleted).
    static CKeyManager& GetDefault();

    bool IsAutoDelete() const override;

    bool OnKeyDown(CGrid* grid, UINT virtualKey, UINT repeatCount, UINT flags) override;
    // Handles nothing.
    bool OnKeyUp(CGrid* grid, UINT virtualKey, UINT repeatCount, UINT flags) override;
    void MoveUp(CGrid* grid, bool extend, bool focusOnly) override;
    void MoveDown(CGrid* grid, bool extend, bool focusOnly) override;
    void PageUp(CGrid* grid, bool extend, bool focusOnly) override;
    void PageDown(CGrid* grid, bool extend, bool focusOnly) override;
    void MoveHome(CGrid* grid, bool extend, bool focusOnly) override;
    void MoveEnd(CGrid* grid, bool extend, bool focusOnly) override;
    void MoveLeft(CGrid* grid) override;
    void MoveRight(CGrid* grid) override;

    // Clears the selection and the focus.
    virtual void OnEscape(CGrid* grid);
    // Expands the focused row, or collapses it when it is expanded.
    virtual void OnEnter(CGrid* grid);
    virtual void OnSelectAll(CGrid* grid);
    // The grid's copy, cut and paste requests.
    virtual void OnCopy(CGrid* grid);
    virtual void OnCut(CGrid* grid);
    virtual void OnPaste(CGrid* grid);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
