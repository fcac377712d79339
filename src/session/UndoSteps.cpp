#include "session/UndoSteps.h"

#include <utility>

namespace geotal {

bool UndoSteps::RecordState::SameAs(const PhotoRecord& record) const {
    return position == record.position && marked == record.marked &&
           writeFailed == record.writeFailed && removing == record.removing &&
           note == record.note && time == record.time;
}

UndoSteps::RecordState UndoSteps::StateOf(int index, const PhotoRecord& record) {
    return {index,           record.position, record.marked, record.writeFailed,
            record.removing, record.note,     record.time};
}

void UndoSteps::Begin(const PhotoList& photos) {
    pending_.clear();
    pending_.reserve(photos.records.size());
    for (int i = 0; i < photos.Count(); ++i) {
        pending_.push_back(StateOf(i, photos[i]));
    }
}

void UndoSteps::End(const PhotoList& photos, std::string what) {
    Step step{std::move(what), photos.records.size(), {}};
    if (pending_.size() == photos.records.size()) {
        for (RecordState& state : pending_) {
            if (!state.SameAs(photos[state.index])) {
                step.before.push_back(std::move(state));
            }
        }
    }
    pending_.clear();
    pending_.shrink_to_fit();
    if (step.before.empty()) {
        return;
    }
    steps_.push_back(std::move(step));
    if (steps_.size() > kMaxSteps) {
        steps_.pop_front();
    }
}

std::optional<std::string> UndoSteps::Undo(PhotoList& photos) {
    if (steps_.empty()) {
        return std::nullopt;
    }
    Step step = std::move(steps_.back());
    steps_.pop_back();
    if (step.recordCount != photos.records.size()) {
        Clear();  // another list: nothing before it belongs to this one
        return std::nullopt;
    }
    for (RecordState& state : step.before) {
        PhotoRecord& record = photos[state.index];
        record.position = std::move(state.position);
        record.marked = state.marked;
        record.writeFailed = state.writeFailed;
        record.removing = state.removing;
        record.note = std::move(state.note);
        record.time = std::move(state.time);
    }
    return std::move(step.what);
}

void UndoSteps::Clear() {
    steps_.clear();
    pending_.clear();
}

}  // namespace geotal
