#pragma once

#include "engine/PatchEdit.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

// Undo and redo of the edit: each step keeps the edit as it was before and after it.
// Changes that belong together join the step before them: one drag of a control, or
// changes of one parameter less than a second apart from the wheel, the keys or the
// instrument, or every patch a bank load shows.
class EditHistory {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kLimit = 1000; // the oldest steps go first
    static constexpr std::chrono::milliseconds kJoinWithin{1000};

    // Drag: one press of a control. Timed: the wheel or the keys. Instrument: its knobs.
    // Show: another patch on the panel. Other: a step of its own (a rename, a store).
    enum class Source { Drag, Timed, Instrument, Show, Other };

    // Which change a step is, for joining the next one to it.
    struct Key {
        Source source = Source::Other;
        int id = 0;           // the parameter, for Drag, Timed and Instrument
        unsigned gesture = 0; // the press of a drag, the bank load of a show
        Clock::time_point time;
    };

    // Records the change from `before` to `after`, named `what` ("CUTOFF", "Rename"):
    // joined to the last step when `key` continues it, else a new step. Redo is gone.
    void Record(const std::string& what, const PatchEdit& before, const PatchEdit& after, const Key& key);

    bool CanUndo() const { return undone_ < steps_.size(); }
    bool CanRedo() const { return undone_ > 0; }
    // "Undo CUTOFF", or "Undo" when there is nothing to undo; the same for redo.
    std::string UndoText() const;
    std::string RedoText() const;
    // The edit to return to; nothing when there is no step.
    std::optional<PatchEdit> Undo();
    std::optional<PatchEdit> Redo();

    std::size_t Size() const { return steps_.size(); }

  private:
    struct Step {
        std::string what;
        PatchEdit before, after;
        Key key;
    };
    bool Joins(const Key& key) const;

    std::deque<Step> steps_; // oldest first
    std::size_t undone_ = 0; // steps at the end that are undone
};
