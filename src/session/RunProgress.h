// Progress of a command that runs on a worker thread: the worker reports through the sink, the
// window reads where it stands when it redraws, and Abort reaches the worker from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "support/Progress.h"

namespace geotal {

class RunProgress final : public ProgressSink {
public:
    struct State {
        bool shown = false;  // between Begin and End
        std::string text;
        int maximum = 0;
        int position = 0;
        std::uint64_t version = 0;  // counts changes: an unchanged state needs no redraw
    };

    void Begin(const std::string& text, int maximum) override;
    void SetPosition(int position) override;
    // The window's thread stays free while the work runs: nothing to pump.
    void Pump() override {}
    bool AbortRequested() const override { return abort_.load(); }
    void ClearAbort() override { abort_.store(false); }
    void End() override;

    void RequestAbort() { abort_.store(true); }
    State Snapshot() const;

private:
    mutable std::mutex mutex_;
    State state_;
    std::atomic<bool> abort_{false};
};

}  // namespace geotal
