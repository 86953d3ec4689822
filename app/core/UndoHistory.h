// The editor's history of changes to one document: each step keeps the document's saved form
// from before one user action, with the action's name, so that Undo and Redo walk back and forth
// through at least the last hundred actions without holding a single pixel.
#pragma once

#include <cstddef>
#include <vector>
#include <string>

class UndoHistory {
public:
    // The oldest steps are forgotten beyond this many, or beyond this many bytes of saved forms
    // (the newest step is always kept).
    static constexpr int kMaxSteps = 200;
    static constexpr size_t kMaxBytes = 8u << 20;

    // Opens a step named `label` from the state `before`. It joins the history only when Settle
    // finds the document changed; an action that changed nothing (a click without a drag) leaves
    // no step behind and keeps what can be redone. A step still open is settled first, against
    // `before`, which is how the document stands now.
    void Begin(const char* label, std::string&& before);
    // Settles the open step against the document's current state `now`.
    void Settle(const std::string& now);
    bool IsOpen() const { return fOpen; }

    bool CanUndo() const { return !fUndo.empty(); }
    bool CanRedo() const { return !fRedo.empty(); }
    // The name of the step Undo or Redo would take back or do again; "" without one.
    const char* UndoLabel() const;
    const char* RedoLabel() const;
    // Takes the newest step back: *restore receives the state to return to, and `now` is kept so
    // that Redo can come back to it. False (nothing changed) without a step. Settle first.
    bool Undo(std::string&& now, std::string* restore);
    bool Redo(std::string&& now, std::string* restore);
    // Undo (redo false) or Redo.
    bool Walk(bool redo, std::string&& now, std::string* restore);

    void Clear();
    int CountUndo() const { return static_cast<int>(fUndo.size()); }
    int CountRedo() const { return static_cast<int>(fRedo.size()); }
    // The bytes the steps hold.
    size_t Bytes() const;

private:
    // Vectors, not deques: an empty history allocates nothing, so a document can be made where
    // memory is short.
    struct Step {
        std::string label;
        std::string state;
    };
    void Trim();

    std::vector<Step> fUndo;
    std::vector<Step> fRedo;
    Step fPending;
    bool fOpen = false;
};
