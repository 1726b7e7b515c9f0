#pragma once

#include "ombrel/gui/grid/GridService.h"

#include <cstdint>
#include <memory>

namespace Ombrel {
class CDC;
class CWnd;
} // namespace Ombrel

namespace Ombrel::GUI {

class CGrid;
class CGridImpl;
class CGridItem;
class CGridLayout;
class CGridRows;
class IEditInPlace;
struct CellPaintContext;

// The grid's side of in-place editing: starting and ending edits through the grid's policy
// (its own or the process default), the presses that start and end them, the editor's keys,
// and keeping the editor on its cell. One edit at a time, on the window thread.
//
//   BeginEdit:  policy CanStartEdit -> row and column scrolled into view -> policy StartEdit
//               (the reflector makes the editor) -> cell recorded, editor hooked ->
//               OnEditStarted -> GN_BEGINEDIT -> an end asked for while starting (the check
//               box) runs now
//   Editor:     its keys reach it through the platform's own delivery (which types their
//               characters); its hook maps keys, clicks, the wheel and focus loss to end codes and asks the
//               policy's ShouldEndEdit; a yes is posted (operation 187, with the edit's number)
//               so the editor is never destroyed inside its own handler
//   EndEdit:    cell cleared -> focus back to the grid -> policy StopEdit (writes when the
//               code commits, destroys the editor) -> a commit that wrote nothing flashes the
//               cell -> GN_ENDEDIT {code, written} -> navigation codes move to the next cell
//
// Invariants: the edited row is checked with CGridRows::IsValid before it is followed; a row
// leaving the grid (removed, or its object destroyed on any thread) ends its edit at once
// without writing, so nothing touches the row or its object afterwards. A stale end request
// (another edit by now) is ignored.
//
// Live updates: the editor keeps the user's text when the object changes meanwhile; Enter
// writes the user's value, Escape leaves the new one showing. A row moved by re-sorting takes
// its editor along: before every paint and after every scroll the editor is moved onto its
// cell, hidden while the cell is out of view (keeping its text and focus), shown again when
// the cell is back.
class CGridEditing final : public IGridService
{
public:
    CGridEditing(CGrid& grid, CGridImpl& impl, CGridRows& rows, CGridLayout& layout);
    ~CGridEditing();
    CGridEditing(const CGridEditing&) = delete;
    CGridEditing& operator=(const CGridEditing&) = delete;

    // The grid's own policy, null for the process default; Set returns the previous own one.
    IEditInPlace* SetPolicy(IEditInPlace* policy);
    IEditInPlace* GetPolicy() const; // never null
    // At destruction: the own policy is deleted when it is marked for automatic deletion.
    void ReleasePolicy();

    bool CanBeginEdit(CGridItem* row, std::int32_t fieldId, int trigger);
    bool BeginEdit(CGridItem* row, std::int32_t fieldId, int trigger);
    // Ends the edit in progress with `code`; false when there is none.
    bool EndEdit(int code);
    // Operation 187: ends the edit `editNumber` when it is still the one in progress.
    void OnEndRequest(CGridItem* row, std::int32_t fieldId, int code, std::uint64_t editNumber);
    CWnd* GetEditor() const;

    // Whether the grid's last mouse move was over this cell (and the pointer has not left).
    bool IsPointerOverCell(CGridItem* row, std::int32_t fieldId) const;
    // The cell painter's calls (see IPaintedGrid).
    std::uint32_t AdjustPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags);
    void DrawEditHint(CellPaintContext& context, CDC& dc, std::uint32_t flags);

    // IGridService
    bool PreFilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnWindowCreated() override;
    void OnWindowDestroying() override;
    void OnViewScrolled() override;
    bool IsEditing() const override;
    void EndEditing(int endCode) override;
    void OnRowLeaving(CGridItem* row, bool removed) override;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
