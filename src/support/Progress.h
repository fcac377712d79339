// Progress reporting for long core operations: step, then ask whether to stop.
#pragma once

#include <string>

namespace geotal {

// A long operation shows what it does through this interface instead of knowing about a
// progress bar. The window implements it with its bar, its message pump and the Abort button;
// the command line with a terminal line; tests with a recorder.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;

    // Shows the status text and a bar from 0 to maximum, at position 0.
    virtual void Begin(const std::string& text, int maximum) = 0;
    // Moves the bar and lets it repaint.
    virtual void SetPosition(int position) = 0;
    // Lets the user interface handle what is waiting (repaints, clicks on Abort).
    virtual void Pump() = 0;
    virtual bool AbortRequested() const = 0;
    virtual void ClearAbort() = 0;
    // Hides the bar and clears the status text.
    virtual void End() = 0;
};

// For callers that want no progress display and never abort.
class NullProgress final : public ProgressSink {
public:
    void Begin(const std::string&, int) override {}
    void SetPosition(int) override {}
    void Pump() override {}
    bool AbortRequested() const override { return false; }
    void ClearAbort() override {}
    void End() override {}
};

}  // namespace geotal
