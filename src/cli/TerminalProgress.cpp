#include "cli/TerminalProgress.h"

#include <unistd.h>

#include <cstdio>

namespace geotal::cli {

TerminalProgress::TerminalProgress() : visible_(::isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress() {
    End();
}

void TerminalProgress::Begin(const std::string& text, int maximum) {
    text_ = text;
    maximum_ = maximum;
    lastDrawn_ = -1;
    Draw(0);
}

void TerminalProgress::SetPosition(int position) {
    // Redrawing for every item of a large folder would cost more than the work itself.
    if (maximum_ <= 0 || position == maximum_ || position - lastDrawn_ >= maximum_ / 100 + 1) {
        Draw(position);
    }
}

void TerminalProgress::End() {
    if (visible_ && drawn_) {
        std::fputs("\r\033[K", stderr);
        drawn_ = false;
    }
}

void TerminalProgress::Draw(int position) {
    if (!visible_) {
        return;
    }
    lastDrawn_ = position;
    drawn_ = true;
    if (maximum_ > 0) {
        std::fprintf(stderr, "\r\033[K%s %d/%d", text_.c_str(), position, maximum_);
    } else {
        std::fprintf(stderr, "\r\033[K%s", text_.c_str());
    }
    std::fflush(stderr);
}

}  // namespace geotal::cli
