// One photo as a line of the photo list: the columns the window shows, and the check mark.
#pragma once

#include <string>

#include "output/Formatting.h"
#include "photo/PhotoList.h"

namespace geotal::cli {

// "name<TAB>date/time<TAB>latitude<TAB>longitude<TAB>mark" without a line end; the mark is 1
// or 0, the coordinates are empty for a photo without a position, the time for one without.
// The name is escaped as EscapedName does.
std::string PhotoRowText(const PhotoRecord& photo, CoordinateFormat format);

// The file name with tab, line feed, carriage return and backslash written as \t, \n, \r and
// \\, so that every row stays one line of tab-separated columns whatever the name holds, and
// every other control character as \xHH (or \u00HH beyond ASCII), so that none acts on the
// terminal.
std::string EscapedName(const std::string& name);

// A message about the file at path, for the terminal: each mention of path or of its file name
// escaped as EscapedName does, and every other control character of the message too, except the
// line feeds that end its lines.
std::string EscapedMessage(const std::string& message, const std::string& path);

}  // namespace geotal::cli
