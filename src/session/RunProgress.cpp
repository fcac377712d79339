#include "session/RunProgress.h"

namespace geotal {

void RunProgress::Begin(const std::string& text, int maximum) {
    const std::lock_guard lock(mutex_);
    state_.shown = true;
    state_.text = text;
    state_.maximum = maximum;
    state_.position = 0;
    ++state_.version;
}

void RunProgress::SetPosition(int position) {
    const std::lock_guard lock(mutex_);
    if (state_.position != position) {
        state_.position = position;
        ++state_.version;
    }
}

void RunProgress::End() {
    const std::lock_guard lock(mutex_);
    state_.shown = false;
    state_.text.clear();
    state_.position = 0;
    ++state_.version;
}

RunProgress::State RunProgress::Snapshot() const {
    const std::lock_guard lock(mutex_);
    return state_;
}

}  // namespace geotal
