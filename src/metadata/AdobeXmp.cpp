#include "metadata/AdobeXmp.h"

#include <exempi/xmp.h>
#include <exempi/xmpconsts.h>

#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <utility>

namespace geotal {
namespace {

struct XmpFree {
    void operator()(_Xmp* xmp) const { xmp_free(xmp); }
};
struct StringFree {
    void operator()(_XmpString* text) const { xmp_string_free(text); }
};
struct IteratorFree {
    void operator()(_XmpIterator* iterator) const { xmp_iterator_free(iterator); }
};
using Meta = std::unique_ptr<_Xmp, XmpFree>;
using Text = std::unique_ptr<_XmpString, StringFree>;
using Iterator = std::unique_ptr<_XmpIterator, IteratorFree>;

// What the iterator gives for a namespace's own node; exempi's header names it but leaves it out.
constexpr std::uint32_t kSchemaNode = 0x80000000UL;

void InitializeOnce() {
    static std::once_flag once;
    // The toolkit's own tables live as long as the process; it is never terminated.
    std::call_once(once, [] { xmp_init(); });
}

std::string ToolkitError(const char* what) {
    return std::string(what) + " (XMP toolkit error " + std::to_string(xmp_get_error()) + ")";
}

// exempi writes the reason of a failed parse to std::cerr besides returning it; it comes back to
// the user through the caller's message instead, once.
class QuietToolkit {
public:
    QuietToolkit() : state_(std::cerr.rdstate()) { std::cerr.setstate(std::ios::badbit); }
    ~QuietToolkit() { std::cerr.clear(state_); }
    QuietToolkit(const QuietToolkit&) = delete;
    QuietToolkit& operator=(const QuietToolkit&) = delete;

private:
    std::ios::iostate state_;
};

// The parsed packet; an empty packet gives an empty model.
Meta Parse(const std::string& packet, std::string& error) {
    InitializeOnce();
    Meta meta(xmp_new_empty());
    if (!meta) {
        error = ToolkitError("no memory for an XMP packet");
        return nullptr;
    }
    const QuietToolkit quiet;
    if (!packet.empty() && !xmp_parse(meta.get(), packet.data(), packet.size())) {
        error = ToolkitError("the XMP packet cannot be parsed");
        return nullptr;
    }
    return meta;
}

// Names the items of alternative texts by their language instead of their place.
void NameItemsByLanguage(std::vector<XmpNode>& nodes) {
    std::set<std::pair<std::string, std::string>> alternatives;
    for (const XmpNode& node : nodes) {
        if ((node.kind & XMP_PROP_ARRAY_IS_ALTTEXT) != 0) {
            alternatives.emplace(node.ns, node.path);
        }
    }
    constexpr std::string_view kLanguage = "/?xml:lang";
    std::map<std::pair<std::string, std::string>, std::string> names;  // item → its new name
    for (const XmpNode& node : nodes) {
        if (!node.path.ends_with(kLanguage)) {
            continue;
        }
        const std::string item = node.path.substr(0, node.path.size() - kLanguage.size());
        const std::size_t bracket = item.rfind('[');
        if (bracket != std::string::npos && item.back() == ']' &&
            alternatives.count({node.ns, item.substr(0, bracket)}) != 0) {
            names[{node.ns, item}] = item.substr(0, bracket) + "[?xml:lang=" + node.value + "]";
        }
    }
    for (XmpNode& node : nodes) {
        for (const auto& [item, name] : names) {
            if (node.ns == item.first && node.path.starts_with(item.second) &&
                (node.path.size() == item.second.size() || node.path[item.second.size()] == '/')) {
                node.path = name + node.path.substr(item.second.size());
                break;
            }
        }
    }
}

}  // namespace

bool ReadXmpNodes(const std::string& packet, std::vector<XmpNode>& nodes, std::string& error) {
    nodes.clear();
    const Meta meta = Parse(packet, error);
    if (!meta) {
        return false;
    }
    const Iterator iterator(xmp_iterator_new(meta.get(), nullptr, nullptr, XMP_ITER_PROPERTIES));
    const Text ns(xmp_string_new());
    const Text path(xmp_string_new());
    const Text value(xmp_string_new());
    if (!iterator || !ns || !path || !value) {
        error = ToolkitError("the XMP packet cannot be read");
        return false;
    }
    std::uint32_t kind = 0;
    while (xmp_iterator_next(iterator.get(), ns.get(), path.get(), value.get(), &kind)) {
        if ((kind & kSchemaNode) != 0) {
            continue;
        }
        nodes.push_back({xmp_string_cstr(ns.get()), xmp_string_cstr(path.get()),
                         xmp_string_cstr(value.get()), kind});
    }
    NameItemsByLanguage(nodes);
    return true;
}

bool IsExifGpsNode(const XmpNode& node) {
    return node.ns == NS_EXIF && node.path.starts_with("exif:GPS");
}

bool EditXmpWithAdobeToolkit(const std::string& packet, const XmpExifEdit& edit,
                             std::string& edited, std::string& why) {
    const Meta meta = Parse(packet, why);
    if (!meta) {
        return false;
    }
    for (const std::string& name : edit.removed) {
        xmp_delete_property(meta.get(), NS_EXIF, name.c_str());
    }
    for (const auto& [name, text] : edit.set) {
        xmp_delete_property(meta.get(), NS_EXIF, name.c_str());
        if (!xmp_set_property(meta.get(), NS_EXIF, name.c_str(), text.c_str(), 0)) {
            why = ToolkitError(("exif:" + name + " cannot be set").c_str());
            return false;
        }
    }
    const Text written(xmp_string_new());
    if (!written ||
        !xmp_serialize_and_format(meta.get(), written.get(),
                                  XMP_SERIAL_OMITPACKETWRAPPER | XMP_SERIAL_USECOMPACTFORMAT, 0,
                                  "\n", " ", 0)) {
        why = ToolkitError("the XMP packet cannot be written");
        return false;
    }
    edited.assign(xmp_string_cstr(written.get()), xmp_string_len(written.get()));
    return true;
}

}  // namespace geotal
