#include "track/XmlEvents.h"

#include <expat.h>

#include <algorithm>
#include <memory>

namespace geotal {
namespace {

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    static_cast<XmlHandler*>(data)->Start(LocalName(name), attributes);
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
    static_cast<XmlHandler*>(data)->End(LocalName(name));
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
    static_cast<XmlHandler*>(data)->Text(std::string_view(text, static_cast<std::size_t>(length)));
}

}  // namespace

std::string_view LocalName(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string WalkXml(std::string_view text, XmlHandler& handler) {
    const std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate(nullptr));
    if (!parser) {
        return "there was no memory to read the XML";
    }
    XML_SetUserData(parser.get(), &handler);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnText);
    // expat copies what it is given into a buffer of its own before it parses it: pieces of a
    // megabyte keep that copy small instead of as large as the file.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    do {
        const std::size_t size = std::min(text.size(), kPiece);
        const bool last = size == text.size();
        if (XML_Parse(parser.get(), text.data(), static_cast<int>(size), last ? 1 : 0) ==
            XML_STATUS_ERROR) {
            return "the XML is broken at line " +
                   std::to_string(XML_GetCurrentLineNumber(parser.get())) + " (" +
                   XML_ErrorString(XML_GetErrorCode(parser.get())) + ")";
        }
        text.remove_prefix(size);
    } while (!text.empty());
    return {};
}

}  // namespace geotal
