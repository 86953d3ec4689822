#include "app/core/UndoHistory.h"

#include <utility>

void UndoHistory::Begin(const char* label, std::string&& before)
{
    Settle(before);
    fPending.label = label != nullptr ? label : "";
    fPending.state = std::move(before);
    fOpen = true;
}

void UndoHistory::Settle(const std::string& now)
{
    if (!fOpen)
        return;
    fOpen = false;
    if (fPending.state == now)
        return;
    fUndo.push_back(std::move(fPending));
    fPending = Step();
    // A new change starts a new branch: what was undone before it cannot be redone any more.
    fRedo.clear();
    Trim();
}

const char* UndoHistory::UndoLabel() const
{
    return fUndo.empty() ? "" : fUndo.back().label.c_str();
}

const char* UndoHistory::RedoLabel() const
{
    return fRedo.empty() ? "" : fRedo.back().label.c_str();
}

bool UndoHistory::Undo(std::string&& now, std::string* restore)
{
    return Walk(false, std::move(now), restore);
}

bool UndoHistory::Redo(std::string&& now, std::string* restore)
{
    return Walk(true, std::move(now), restore);
}

bool UndoHistory::Walk(bool redo, std::string&& now, std::string* restore)
{
    // A step taken back goes to the redo list with the state it left, and the other way round.
    std::vector<Step>& from = redo ? fRedo : fUndo;
    std::vector<Step>& to = redo ? fUndo : fRedo;
    if (from.empty() || fOpen)
        return false;
    Step step = std::move(from.back());
    from.pop_back();
    *restore = std::move(step.state);
    step.state = std::move(now);
    to.push_back(std::move(step));
    return true;
}

void UndoHistory::Clear()
{
    fUndo.clear();
    fRedo.clear();
    fPending = Step();
    fOpen = false;
}

size_t UndoHistory::Bytes() const
{
    size_t bytes = fPending.state.size();
    for (const Step& step : fUndo)
        bytes += step.state.size() + step.label.size();
    for (const Step& step : fRedo)
        bytes += step.state.size() + step.label.size();
    return bytes;
}

void UndoHistory::Trim()
{
    while (fUndo.size() > 1 && (fUndo.size() > static_cast<size_t>(kMaxSteps) || Bytes() > kMaxBytes))
        fUndo.erase(fUndo.begin());
}
