// The optional diagnostic trace file: one time-stamped line per event, off at start.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace geotal {

void Trace(const std::string& message);
void TraceValue(const std::string& name, const std::string& text);
void TraceValue(const std::string& name, int number);
void EnableTrace(const std::string& path);
void DisableTrace();
bool IsTraceEnabled();

// While one lives, the lines its thread traces are kept in lines, in order, instead of being
// written; TraceLines writes them later, so that work done on another thread shows in the trace
// where its results are taken in. Only while the trace is on; not nested.
class TraceCapture {
public:
    explicit TraceCapture(std::vector<std::string>& lines);
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

private:
    std::vector<std::string>* previous_;
};

// Traces each line in turn, as Trace would.
void TraceLines(const std::vector<std::string>& lines);

// The line as it is written, for a given local time and millisecond count:
// "Sun Dec 06 10:46:44.007 -> message" followed by CR LF.
std::string FormatTraceLine(const std::tm& localTime, unsigned milliseconds,
                            const std::string& message);

}  // namespace geotal
