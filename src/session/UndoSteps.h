// The changes to the list not yet written, each kept as the records it changed looked before
// it, so that they can be taken back one at a time, latest first.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "photo/PhotoList.h"

namespace geotal {

class UndoSteps {
public:
    // Enough for an afternoon's corrections; the oldest go first beyond it.
    static constexpr std::size_t kMaxSteps = 100;

    // Before a change: notes what every record holds that a change may alter.
    void Begin(const PhotoList& photos);
    // After it: keeps the records that changed as a step named what ("the calculation"); a
    // change that altered nothing is no step.
    void End(const PhotoList& photos, std::string what);

    bool CanUndo() const { return !steps_.empty(); }
    // Puts the last step's records back as they were; what the step was, or none when there is
    // nothing to undo.
    std::optional<std::string> Undo(PhotoList& photos);
    // After a write or a new load: what was before is no longer the list's.
    void Clear();

private:
    struct RecordState {
        int index = 0;
        MaybePosition position;
        bool marked = false;
        bool writeFailed = false;
        bool removing = false;
        std::string note;
        PhotoTime time;

        bool SameAs(const PhotoRecord& record) const;
    };
    struct Step {
        std::string what;
        std::size_t recordCount = 0;  // the list's size then: a step never lands on other rows
        std::vector<RecordState> before;
    };
    static RecordState StateOf(int index, const PhotoRecord& record);

    std::vector<RecordState> pending_;
    std::deque<Step> steps_;
};

}  // namespace geotal
