// The way every failure names its file: "what path: the system's reason".
#pragma once

#include <cerrno>
#include <string>

namespace geotal {

// code is an errno value; by default the one the last failed call left.
std::string SystemErrorText(const std::string& what, const std::string& path, int code = errno);

// Writes every byte, going on after a write that was interrupted or did only part of the work;
// false with errno set when the system refuses.
bool WriteAll(int fd, const void* bytes, std::size_t size);

}  // namespace geotal
