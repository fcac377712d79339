// Walking an XML text with expat: element starts and ends by local name, and text.
#pragma once

#include <string>
#include <string_view>

namespace geotal {

// What a reader of one XML format does at each event. Names come without their namespace
// prefix ("gx:Track" is "Track"), so that files which leave the prefix out, or declare it
// late, read alike.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // attributes: name, value, name, value, ..., nullptr (as expat gives them).
    virtual void Start(std::string_view name, const char** attributes) = 0;
    virtual void End(std::string_view name) = 0;
    virtual void Text(std::string_view text) = 0;
};

// Parses the whole text, handing each event to the handler. Empty when the text is
// well-formed XML; otherwise where and why it is not, such as "the XML is broken at line 12
// (mismatched tag)". Events before the damage have been handed over all the same.
std::string WalkXml(std::string_view text, XmlHandler& handler);

// The local part of an element or attribute name.
std::string_view LocalName(std::string_view name);

}  // namespace geotal
