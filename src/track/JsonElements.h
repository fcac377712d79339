// Walking a large JSON document one array element at a time, so that a location history of a
// gigabyte is never held as a parsed tree.
#pragma once

#include <string>
#include <string_view>

#include "simdjson.h"

namespace geotal {

// Hands each element of the document's top-level arrays to visit(key, element): the elements
// of a top-level array with the key "", and those of each array value of a top-level object
// with that value's key ("locations", "features", ...). Other top-level values are skipped.
// Each element is parsed on its own. Answers "" when the whole text was walked, or why the
// walk stopped ("not JSON", "the JSON is broken near byte 1234"); elements before the damage
// have been visited.
class JsonElementVisitor {
public:
    virtual ~JsonElementVisitor() = default;
    virtual void Visit(std::string_view key, simdjson::dom::element element) = 0;
};

std::string WalkJsonElements(std::string_view text, JsonElementVisitor& visitor);

// Small readers over a parsed element that answer "absent" instead of failing.
bool JsonDouble(simdjson::dom::element element, std::string_view key, double& value);
bool JsonString(simdjson::dom::element element, std::string_view key, std::string_view& value);
bool JsonMember(simdjson::dom::element element, std::string_view key,
                simdjson::dom::element& value);

// A time given as an ISO 8601 text, a text of digits or a number: seconds since 1970, or
// milliseconds when it has 12 digits or more. 0 when there is none or it cannot be read.
double JsonTime(simdjson::dom::element value);

}  // namespace geotal
