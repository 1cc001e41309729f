#include "engine/EditHistory.h"

bool EditHistory::Joins(const Key& key) const {
    if (steps_.empty() || undone_ > 0)
        return false;
    const Key& last = steps_.back().key;
    if (last.source != key.source)
        return false;
    switch (key.source) {
    case Source::Drag:
        return last.id == key.id && last.gesture == key.gesture;
    case Source::Timed:
    case Source::Instrument:
        return last.id == key.id && key.time - last.time < kJoinWithin;
    case Source::Show:
        return key.gesture != 0 && last.gesture == key.gesture;
    case Source::Other:
        return false;
    }
    return false;
}

void EditHistory::Record(const std::string& what, const PatchEdit& before, const PatchEdit& after,
                         const Key& key) {
    if (Joins(key)) {
        steps_.back().after = after;
        steps_.back().key = key;
        // A bank load that ends on the patch it began with changed nothing.
        if (steps_.back().before == after)
            steps_.pop_back();
        return;
    }
    steps_.erase(steps_.end() - static_cast<std::ptrdiff_t>(undone_), steps_.end());
    undone_ = 0;
    steps_.push_back({what, before, after, key});
    while (steps_.size() > kLimit)
        steps_.pop_front();
}

std::string EditHistory::UndoText() const {
    return CanUndo() ? "Undo " + steps_[steps_.size() - undone_ - 1].what : "Undo";
}

std::string EditHistory::RedoText() const {
    return CanRedo() ? "Redo " + steps_[steps_.size() - undone_].what : "Redo";
}

std::optional<PatchEdit> EditHistory::Undo() {
    if (!CanUndo())
        return std::nullopt;
    ++undone_;
    return steps_[steps_.size() - undone_].before;
}

std::optional<PatchEdit> EditHistory::Redo() {
    if (!CanRedo())
        return std::nullopt;
    --undone_;
    return steps_[steps_.size() - undone_ - 1].after;
}
