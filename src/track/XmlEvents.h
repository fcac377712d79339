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

// A reader that wants the text of some elements: it says at each element's start whether it
// wants that element's text, and gets the text at the element's end.
class TextElementHandler : public XmlHandler {
public:
    void Start(std::string_view name, const char** attributes) final {
        text_.clear();
        collect_ = StartElement(name, attributes);
    }
    void End(std::string_view name) final {
        EndElement(name, text_);
        collect_ = false;
        text_.clear();
    }
    void Text(std::string_view text) final {
        if (collect_) {
            text_.append(text);
        }
    }

protected:
    // Whether the element's text is wanted.
    virtual bool StartElement(std::string_view name, const char** attributes) = 0;
    // text: the element's own text when it was wanted, else empty.
    virtual void EndElement(std::string_view name, const std::string& text) = 0;

private:
    std::string text_;
    bool collect_ = false;
};

// Parses the whole text, handing each event to the handler. Empty when the text is
// well-formed XML; otherwise where and why it is not, such as "the XML is broken at line 12
// (mismatched tag)". Events before the damage have been handed over all the same.
std::string WalkXml(std::string_view text, XmlHandler& handler);

// The local part of an element or attribute name.
std::string_view LocalName(std::string_view name);

}  // namespace geotal
