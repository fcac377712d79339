// Progress on a terminal: one status line on standard error, redrawn in place.
#pragma once

#include <string>

#include "support/Progress.h"

namespace geotal::cli {

// Shows "text position/maximum" while standard error is a terminal; silent otherwise, so
// scripts that capture the output see only the results.
class TerminalProgress final : public ProgressSink {
public:
    TerminalProgress();
    ~TerminalProgress() override;

    void Begin(const std::string& text, int maximum) override;
    void SetPosition(int position) override;
    void Pump() override {}
    bool AbortRequested() const override { return false; }
    void ClearAbort() override {}
    void End() override;

private:
    void Draw(int position);

    bool visible_;
    bool drawn_ = false;
    std::string text_;
    int maximum_ = 0;
    int lastDrawn_ = -1;
};

}  // namespace geotal::cli
