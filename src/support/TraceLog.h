// The optional diagnostic trace file: one time-stamped line per event, off at start.
#pragma once

#include <ctime>
#include <string>

namespace geotal {

void Trace(const std::string& message);
void TraceValue(const std::string& name, const std::string& text);
void TraceValue(const std::string& name, int number);
void EnableTrace(const std::string& path);
void DisableTrace();
bool IsTraceEnabled();

// The line as it is written, for a given local time and millisecond count:
// "Sun Dec 06 10:46:44.007 -> message" followed by CR LF.
std::string FormatTraceLine(const std::tm& localTime, unsigned milliseconds,
                            const std::string& message);

}  // namespace geotal
