// Walking a large JSON document one array element at a time, so that a location history of a
// gigabyte is never held as a parsed tree, nor one element of it that is itself huge.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "simdjson.h"
#include "track/JsonText.h"

namespace geotal {

// An element of up to this many bytes is parsed into simdjson's tree, which takes some ten
// times its size; a larger one is read from its text as it is asked (JsonText), which takes
// nothing beyond the text.
constexpr std::size_t kJsonTreeBytes = std::size_t{1} << 20;

// Hands each element of the document's top-level arrays to Visit(key, element): the elements
// of a top-level array with the key "", and those of each array value of a top-level object
// with that value's key ("locations", "features", ...). Other top-level values are skipped.
// A reader gives both Visits the same meaning, most simply by one template over the element
// and the free functions below, which answer alike for both kinds.
class JsonElementVisitor {
public:
    virtual ~JsonElementVisitor() = default;
    virtual void Visit(std::string_view key, simdjson::dom::element element) = 0;
    virtual void Visit(std::string_view key, JsonText element) = 0;
};

// Answers "" when the whole text was walked, or why the walk stopped ("not JSON", "the JSON
// is broken near byte 1234"); elements before the damage have been visited. Elements larger
// than treeBytes go to the JsonText Visit; the grammar inside them is not checked.
std::string WalkJsonElements(std::string_view text, JsonElementVisitor& visitor,
                             std::size_t treeBytes = kJsonTreeBytes);

// Small readers over an element of either kind that answer "absent" instead of failing.
bool JsonMember(simdjson::dom::element element, std::string_view key,
                simdjson::dom::element& value);
bool JsonMember(JsonText element, std::string_view key, JsonText& value);
// A member's number, or the number a member's string starts with.
bool JsonDouble(simdjson::dom::element element, std::string_view key, double& value);
bool JsonDouble(JsonText element, std::string_view key, double& value);
bool JsonString(simdjson::dom::element element, std::string_view key, std::string_view& value);
bool JsonString(JsonText element, std::string_view key, std::string_view& value);
// The element's own number.
bool JsonNumber(simdjson::dom::element element, double& value);
bool JsonNumber(JsonText element, double& value);

// The items of an array; JsonItems of an element that is no array is not allowed for a
// simdjson element, and gives nothing for a JsonText.
bool IsJsonArray(simdjson::dom::element element);
bool IsJsonArray(JsonText element);
simdjson::dom::array JsonItems(simdjson::dom::element array);
JsonTextItems JsonItems(JsonText array);

// A time given as an ISO 8601 text, a text of digits or a number: seconds since 1970, or
// milliseconds when it has 12 digits or more. 0 when there is none or it cannot be read.
double JsonTime(simdjson::dom::element value);
double JsonTime(JsonText value);

}  // namespace geotal
