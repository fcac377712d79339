#include "support/TraceLog.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>

namespace geotal {
namespace {

struct TraceState {
    // Commands run on worker threads: a line is written whole, and the file is not changed
    // under a writer.
    std::mutex mutex;
    std::atomic<bool> enabled = false;
    std::string path;
};

// The one process-wide piece of state: every caller traces to the same file.
TraceState& State() {
    static TraceState state;
    return state;
}

// The lines this thread keeps instead of writing, while a TraceCapture lives.
thread_local std::vector<std::string>* captured = nullptr;

}  // namespace

TraceCapture::TraceCapture(std::vector<std::string>& lines) : previous_(captured) {
    captured = &lines;
}

TraceCapture::~TraceCapture() {
    captured = previous_;
}

void TraceLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        Trace(line);
    }
}

std::string FormatTraceLine(const std::tm& t, unsigned milliseconds, const std::string& message) {
    // Fixed English names: the trace layout must not follow the user's locale.
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%s %s %02d %02d:%02d:%02d %04d\n",
                  kDays[(t.tm_wday % 7 + 7) % 7], kMonths[(t.tm_mon % 12 + 12) % 12], t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec, t.tm_year + 1900);
    char head[64];
    std::snprintf(head, sizeof head, "%.19s.%.3hu -> ", stamp,
                  static_cast<unsigned short>(milliseconds));
    return head + message + "\r\n";
}

void Trace(const std::string& message) {
    TraceState& state = State();
    if (!state.enabled) {
        return;
    }
    if (captured != nullptr) {
        captured->push_back(message);
        return;
    }
    const auto now = std::chrono::system_clock::now();
    const auto sinceEpoch = now.time_since_epoch();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    const std::string line = FormatTraceLine(local, static_cast<unsigned>(ms), message);

    // Opened and closed per line, so the file is complete even if the program dies.
    const std::lock_guard lock(state.mutex);
    std::FILE* file = std::fopen(state.path.c_str(), "ab");
    if (file == nullptr) {
        return;
    }
    std::fwrite(line.data(), 1, line.size(), file);
    std::fflush(file);
    std::fclose(file);
}

void TraceValue(const std::string& name, const std::string& text) {
    if (!State().enabled) {
        return;
    }
    Trace(name + " = " + text);
}

void TraceValue(const std::string& name, int number) {
    if (!State().enabled) {
        return;
    }
    Trace(name + " = " + std::to_string(number));
}

void EnableTrace(const std::string& path) {
    const std::lock_guard lock(State().mutex);
    State().enabled = true;
    State().path = path;
}

void DisableTrace() {
    const std::lock_guard lock(State().mutex);
    State().enabled = false;
}

bool IsTraceEnabled() {
    return State().enabled;
}

}  // namespace geotal
