#pragma once

#include "ombrel/gui/AutoDelete.h"
#include "ombrel/gui/edit/EditContext.h"

#include <cstdint>
#include <optional>

namespace Ombrel {
class CDC;
class CWnd;
} // namespace Ombrel

namespace Ombrel::GUI {

class IControlReflector;
struct CellPaintContext;

// The edit-in-place policy: whether an edit may start in a cell, which reflector runs it, when
// it ends, whether it writes, and where keyboard navigation goes next. The grid owns the
// mechanics (placing, input, marshalling to its window thread) and calls, for one edit:
//
//   CanStartEdit -> StartEdit -> OnEditStarted -> ShouldEndEdit* -> StopEdit -> [MoveToNextCell]
//
// ShouldEndEdit is asked by the editor's hook for every key or click it maps to an end code;
// when it answers true the end is posted to the window thread, so the editor is never
// destroyed inside its own event handler. While painting, the grid asks AdjustPaintFlags and
// DrawEditHint for every cell.
//
// All operations run on the grid's window thread.
class IEditInPlace
{
public:
    virtual ~IEditInPlace() = default;
    virtual bool IsAutoDelete() const = 0;
    virtual bool CanStartEdit(const CEditContext& context, int trigger) = 0;
    // `format` null: the cell's format.
    virtual bool StartEdit(const CEditContext& context, int trigger, Common::CFormat* format) = 0;
    virtual bool ShouldEndEdit(const CEditContext& context, int code) = 0;
    virtual void OnEditStarted(const CEditContext& context, CGridItem* cellItem) = 0;
    // Ends the edit: writes the editor's value when `code` commits, destroys the editor.
    // True when a value was written into the data object.
    virtual bool StopEdit(const CEditContext& context, int code, CWnd* editorWindow,
                          Common::CFormat* format) = 0;
    virtual bool MoveToNextCell(const CEditContext& context, int code) = 0;
    virtual std::uint32_t AdjustPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawEditHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
};

// The standard policy, meant to be derived from. It remembers the reflector of the edit in
// progress between StartEdit and StopEdit (null when idle); the process-wide default serves
// every grid without a policy of its own.
class CEditInPlace : public IEditInPlace, public IAutoDelete
{
public:
    explicit CEditInPlace(bool autoDelete);
    ~CEditInPlace() override;

    // The process-wide default policy (never deleted by a grid).
    static CEditInPlace& GetDefault();

    bool IsAutoDelete() const override;
    // False unless the context is complete, the column editable, the cell without an embedded
    // control, editing enabled and the field writable. Then navigation (trigger 2) asks the
    // keyboard-navigation setting; start mode 1 takes a double click, and a single click only
    // when the cell's reflector wants one; start mode 0 takes single clicks; any other mode
    // takes every trigger.
    bool CanStartEdit(const CEditContext& context, int trigger) override;
    bool StartEdit(const CEditContext& context, int trigger, Common::CFormat* format) override;
    bool ShouldEndEdit(const CEditContext& context, int code) override;
    void OnEditStarted(const CEditContext& context, CGridItem* cellItem) override;
    bool StopEdit(const CEditContext& context, int code, CWnd* editorWindow,
                  Common::CFormat* format) override;
    bool MoveToNextCell(const CEditContext& context, int code) override;
    std::uint32_t AdjustPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawEditHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;

    // Whether ending with `code` writes the editor's value: Enter, the arrows, Tab in all its
    // forms, a double click, an accepted drop-down, a focus loss and an immediate end.
    static bool IsCommitCode(int code);
    // The first registered reflector that supports `format`; null for a null format.
    virtual IControlReflector* GetReflector(CGrid* grid, CGridItem* row,
                                            Common::CDataObject* object, CColumn* column,
                                            Common::CFormat* format);

    // A cell keyboard navigation may move to.
    struct TargetCell
    {
        CGridItem* row = nullptr;
        CColumn* column = nullptr;
    };
    // The cell that navigation with `code` reaches from the context's cell: the first
    // candidate in the code's direction where the grid's policy would start an edit with
    // trigger 2. Nothing when the direction runs out of rows or columns, for codes that do not
    // navigate, or after kMaxNavigationCandidates candidates.
    static std::optional<TargetCell> FindTargetCell(const CEditContext& context, int code);

    // The reflector of the edit in progress; null when idle.
    IControlReflector* GetActiveReflector() const { return m_reflector; }

private:
    // GetReflector for a painted cell, asked once a cell: the answer is kept in the cell's
    // context for the second paint step that needs it.
    IControlReflector* ReflectorOfCell(CellPaintContext& cell, const CEditContext& context);

    bool m_autoDelete;
    IControlReflector* m_reflector = nullptr; // not owned; set by StartEdit, cleared by StopEdit
};

} // namespace Ombrel::GUI
