// Turning the UTF-16 text some loggers write into the UTF-8 the readers expect.
#pragma once

#include <string>
#include <string_view>

namespace geotal {

// The text as UTF-8: UTF-16 (told by its byte order mark, or, without one, by zero bytes in
// every other place of its start) is converted, and a UTF-8 byte order mark dropped; other
// text is returned as it is.
std::string NarrowUtf16(std::string_view bytes);

// Whether the bytes look like UTF-16 text by the rule above.
bool IsUtf16(std::string_view bytes);

// The bytes themselves, or, when they are UTF-16, their UTF-8 text (CR LF read as LF) kept in
// converted: how a text reader takes in what a logger may have written either way.
std::string_view AsUtf8(std::string_view bytes, std::string& converted);

}  // namespace geotal
