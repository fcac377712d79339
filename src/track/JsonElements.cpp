#include "track/JsonElements.h"

#include <new>

#include "track/JsonScalars.h"
#include "track/JsonScanner.h"

namespace geotal {
namespace {

// simdjson's parser and one buffer with its padding, serving every element.
class TreeParser {
public:
    // False for an element that is no JSON; memory running out is no fault of the file's.
    bool Parse(std::string_view element, simdjson::dom::element& parsed) {
        padded_.assign(element);
        padded_.resize(element.size() + simdjson::SIMDJSON_PADDING);
        const simdjson::error_code error =
            parser_.parse(padded_.data(), element.size(), false).get(parsed);
        if (error == simdjson::MEMALLOC) {
            throw std::bad_alloc();
        }
        return error == simdjson::SUCCESS;
    }

private:
    simdjson::dom::parser parser_;
    std::string padded_;
};

std::string BrokenAt(const JsonScanner& in) {
    return "the JSON is broken near byte " + std::to_string(in.Position());
}

// The elements of the array at the scanner, each parsed and visited.
bool WalkArray(JsonScanner& in, std::string_view key, TreeParser& tree, std::size_t treeBytes,
               JsonElementVisitor& visitor) {
    in.Advance();  // [
    in.SkipSpace();
    if (in.Peek() == ']') {
        in.Advance();
        return true;
    }
    while (true) {
        in.SkipSpace();
        const std::size_t start = in.Position();
        if (!in.SkipValue()) {
            in.Seek(start);  // the damage is in this element
            return false;
        }
        const std::string_view element = in.Slice(start);
        if (element.size() > treeBytes) {
            JsonStrings strings;
            visitor.Visit(key, JsonText(element, &strings));
        } else {
            simdjson::dom::element parsed;
            if (!tree.Parse(element, parsed)) {
                return false;
            }
            visitor.Visit(key, parsed);
        }
        in.SkipSpace();
        if (in.Peek() == ',') {
            in.Advance();
        } else if (in.Peek() == ']') {
            in.Advance();
            return true;
        } else {
            return false;
        }
    }
}

}  // namespace

std::string WalkJsonElements(std::string_view text, JsonElementVisitor& visitor,
                             std::size_t treeBytes) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    TreeParser tree;
    JsonScanner in(text);
    in.SkipSpace();
    if (in.Peek() == '[') {
        return WalkArray(in, "", tree, treeBytes, visitor) ? "" : BrokenAt(in);
    }
    if (in.Peek() != '{') {
        return "not JSON";
    }
    in.Advance();
    while (true) {
        in.SkipSpace();
        if (in.Peek() == '}') {
            return "";
        }
        std::string_view key;
        if (!in.String(key)) {
            return BrokenAt(in);
        }
        in.SkipSpace();
        if (in.Peek() != ':') {
            return BrokenAt(in);
        }
        in.Advance();
        in.SkipSpace();
        if (in.Peek() == '[') {
            if (!WalkArray(in, key, tree, treeBytes, visitor)) {
                return BrokenAt(in);
            }
        } else if (!in.SkipValue()) {
            return BrokenAt(in);
        }
        in.SkipSpace();
        if (in.Peek() == ',') {
            in.Advance();
        } else if (in.Peek() == '}') {
            return "";
        } else {
            return BrokenAt(in);
        }
    }
}

bool JsonMember(simdjson::dom::element element, std::string_view key,
                simdjson::dom::element& value) {
    return element.is_object() && element.get_object().at_key(key).get(value) == simdjson::SUCCESS;
}

bool JsonMember(JsonText element, std::string_view key, JsonText& value) {
    return element.Member(key, value);
}

bool JsonDouble(simdjson::dom::element element, std::string_view key, double& value) {
    simdjson::dom::element member;
    if (!JsonMember(element, key, member)) {
        return false;
    }
    if (member.is_number()) {
        return member.get_double().get(value) == simdjson::SUCCESS;
    }
    std::string_view text;
    return member.get_string().get(text) == simdjson::SUCCESS && NumberOfJsonString(text, value);
}

bool JsonDouble(JsonText element, std::string_view key, double& value) {
    JsonText member;
    if (!element.Member(key, member)) {
        return false;
    }
    std::string_view text;
    return member.Number(value) || (member.String(text) && NumberOfJsonString(text, value));
}

bool JsonString(simdjson::dom::element element, std::string_view key, std::string_view& value) {
    simdjson::dom::element member;
    return JsonMember(element, key, member) && member.get_string().get(value) == simdjson::SUCCESS;
}

bool JsonString(JsonText element, std::string_view key, std::string_view& value) {
    JsonText member;
    return element.Member(key, member) && member.String(value);
}

bool JsonNumber(simdjson::dom::element element, double& value) {
    return element.get_double().get(value) == simdjson::SUCCESS;
}

bool JsonNumber(JsonText element, double& value) {
    return element.Number(value);
}

bool IsJsonArray(simdjson::dom::element element) {
    return element.is_array();
}

bool IsJsonArray(JsonText element) {
    return element.IsArray();
}

simdjson::dom::array JsonItems(simdjson::dom::element array) {
    return array.get_array().value_unsafe();
}

JsonTextItems JsonItems(JsonText array) {
    return array.Items();
}

double JsonTime(simdjson::dom::element value) {
    double number = 0;
    std::string_view text;
    if (value.get_string().get(text) == simdjson::SUCCESS) {
        return TimeOfJsonString(text);
    }
    if (value.is_number() && value.get_double().get(number) == simdjson::SUCCESS) {
        return TimeOfJsonNumber(number);
    }
    return 0;
}

double JsonTime(JsonText value) {
    double number = 0;
    std::string_view text;
    if (value.String(text)) {
        return TimeOfJsonString(text);
    }
    if (value.Number(number)) {
        return TimeOfJsonNumber(number);
    }
    return 0;
}

}  // namespace geotal
