#include "metadata/SidecarGpsEdit.h"

#include <algorithm>
#include <map>
#include <vector>

#include "metadata/AdobeXmp.h"
#include "metadata/Exiv2Metadata.h"
#include "metadata/XmpValues.h"
#include "support/TraceLog.h"

namespace geotal {
namespace {

// The properties Adobe's toolkit holds as other names of standard properties, as exiv2 keys
// them: parsed beside their standard property, they are dropped; alone, renamed to it.
constexpr const char* kFoldedByAdobe[] = {
    "Xmp.xmp.Author",
    "Xmp.xmp.Authors",
    "Xmp.xmp.Description",
    "Xmp.xmp.Format",
    "Xmp.xmp.Keywords",
    "Xmp.xmp.Locale",
    "Xmp.xmp.Title",
    "Xmp.xmpRights.Copyright",
    "Xmp.pdf.Author",
    "Xmp.pdf.BaseURL",
    "Xmp.pdf.CreationDate",
    "Xmp.pdf.Creator",
    "Xmp.pdf.ModDate",
    "Xmp.pdf.Subject",
    "Xmp.pdf.Title",
    "Xmp.photoshop.Author",
    "Xmp.photoshop.Caption",
    "Xmp.photoshop.Copyright",
    "Xmp.photoshop.Keywords",
    "Xmp.photoshop.Marked",
    "Xmp.photoshop.Title",
    "Xmp.photoshop.WebStatement",
    "Xmp.tiff.Artist",
    "Xmp.tiff.Copyright",
    "Xmp.tiff.DateTime",
    "Xmp.tiff.ImageDescription",
    "Xmp.tiff.Software",
    "Xmp.exif.DateTimeDigitized",
    "Xmp.png.Author",
    "Xmp.png.Copyright",
    "Xmp.png.CreationTime",
    "Xmp.png.Description",
    "Xmp.png.ModificationTime",
    "Xmp.png.Software",
    "Xmp.png.Title",
};

// The first property Adobe's toolkit would fold into another; empty when there is none.
std::string FoldedProperty(const std::string& packet) {
    TagTexts texts;
    std::string ignored;
    if (packet.empty() || !ParseXmpPacket(packet, texts, ignored)) {
        return {};
    }
    for (const auto& [key, text] : texts) {
        if (std::find(std::begin(kFoldedByAdobe), std::end(kFoldedByAdobe), key) !=
            std::end(kFoldedByAdobe)) {
            return key;
        }
    }
    return {};
}

// A node as messages name it.
std::string NameOf(const XmpNode& node) {
    return node.path + " (" + node.ns + ")";
}

// The nodes beside the GPS ones, in one order, and the GPS ones by name.
void Split(std::vector<XmpNode> nodes, std::vector<XmpNode>& others,
           std::map<std::string, XmpNode>& gps) {
    for (XmpNode& node : nodes) {
        if (IsExifGpsNode(node)) {
            const std::string name = node.path.substr(node.path.find(':') + 1);
            gps.emplace(name, std::move(node));
        } else {
            others.push_back(std::move(node));
        }
    }
    std::sort(others.begin(), others.end());
}

// The packet's nodes in Adobe's model, where both toolkits take it for an XMP packet and the
// model holds what exiv2 reads of it: Adobe's toolkit passes over RDF outside an x:xmpmeta
// element, and takes XML of any kind for a packet without properties. An empty packet is a new
// one.
bool ReadPacketNodes(const std::string& packet, std::vector<XmpNode>& nodes, std::string& why) {
    nodes.clear();
    if (packet.empty()) {
        return true;
    }
    if (!NamesRdf(packet)) {
        why = "no XMP packet (no RDF)";
        return false;
    }
    if (!ReadXmpNodes(packet, nodes, why)) {
        return false;
    }
    // exiv2's parser as a second opinion, where it takes the packet at all.
    TagTexts texts;
    std::string ignored;
    if (nodes.empty() && ParseXmpPacket(packet, texts, ignored) && !texts.empty()) {
        why =
            "its properties lie outside an x:xmpmeta element, where Adobe's XMP toolkit does "
            "not read them";
        return false;
    }
    return true;
}

bool ReadNodes(const std::string& packet, std::vector<XmpNode>& others,
               std::map<std::string, XmpNode>& gps, std::string& why) {
    std::vector<XmpNode> nodes;
    if (!ReadPacketNodes(packet, nodes, why)) {
        return false;
    }
    Split(std::move(nodes), others, gps);
    return true;
}

// The first node of one list that the other lacks.
std::string FirstDifference(const std::vector<XmpNode>& before, const std::vector<XmpNode>& after) {
    std::vector<XmpNode> lost;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(lost));
    if (!lost.empty()) {
        return NameOf(lost.front()) + " would be lost or changed";
    }
    std::vector<XmpNode> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    return added.empty() ? std::string() : NameOf(added.front()) + " would be added";
}

}  // namespace

bool IsOnlyEdit(const std::string& before, const std::string& after, const XmpExifEdit& edit,
                std::string& why) {
    std::vector<XmpNode> othersBefore;
    std::vector<XmpNode> othersAfter;
    std::map<std::string, XmpNode> gps;
    std::map<std::string, XmpNode> gpsAfter;
    if (!ReadNodes(before, othersBefore, gps, why)) {
        return false;
    }
    if (!ReadNodes(after, othersAfter, gpsAfter, why)) {
        why = "the written packet cannot be parsed: " + why;
        return false;
    }
    if (othersBefore != othersAfter) {
        why = FirstDifference(othersBefore, othersAfter);
        return false;
    }
    for (const std::string& name : edit.removed) {
        gps.erase(name);
    }
    for (const auto& [name, text] : edit.set) {
        gps[name] =
            XmpNode{gpsAfter.count(name) != 0 ? gpsAfter[name].ns : "", "exif:" + name, text, 0};
    }
    for (const auto& [name, node] : gps) {
        const auto written = gpsAfter.find(name);
        if (written == gpsAfter.end() || written->second.value != node.value ||
            written->second.kind != node.kind) {
            why = "exif:" + name + " does not read back as " +
                  (node.value.empty() ? std::string("it was") : "\"" + node.value + "\"");
            return false;
        }
    }
    if (gpsAfter.size() != gps.size()) {
        why = "the written packet holds GPS properties that were not asked for";
        return false;
    }
    return true;
}

bool EditSidecarGps(const std::string& packet, const XmpExifEdit& edit, std::string& edited,
                    std::string& why) {
    std::vector<XmpNode> nodes;
    if (!ReadPacketNodes(packet, nodes, why)) {
        return false;
    }
    std::string exiv2Why;
    if (EditXmpWithExiv2(packet, edit, edited, exiv2Why)) {
        if (edited.empty()) {
            // A sidecar whose last property was taken out stays an XMP packet, not an empty
            // file that no reader takes for one.
            exiv2Why = "it writes nothing for a packet without properties";
        } else if (IsOnlyEdit(packet, edited, edit, exiv2Why)) {
            return true;
        }
    }
    std::string adobeWhy;
    if (const std::string folded = FoldedProperty(packet); !folded.empty()) {
        adobeWhy = folded + " would be folded into another property";
    } else if (EditXmpWithAdobeToolkit(packet, edit, edited, adobeWhy) &&
               IsOnlyEdit(packet, edited, edit, adobeWhy)) {
        TraceValue("  Edited with Adobe's XMP toolkit, as exiv2 would not keep it whole", exiv2Why);
        return true;
    }
    edited.clear();
    why = "no XMP toolkit keeps all its other properties (exiv2: " + exiv2Why +
          "; Adobe's: " + adobeWhy + ")";
    return false;
}

bool ReadSidecarPosition(const std::string& packet, MaybePosition& position, std::string& why) {
    position.reset();
    std::vector<XmpNode> nodes;
    if (!ReadPacketNodes(packet, nodes, why)) {
        return false;
    }
    XmpTexts gps;
    for (const XmpNode& node : nodes) {
        if (IsExifGpsNode(node)) {
            gps.emplace_back("Xmp.exif." + node.path.substr(node.path.find(':') + 1), node.value);
        }
    }
    position = XmpPosition(gps);
    return true;
}

bool HoldsAnyExifProperty(const std::string& packet, const std::vector<std::string>& names) {
    std::vector<XmpNode> others;
    std::map<std::string, XmpNode> gps;
    std::string why;
    return ReadNodes(packet, others, gps, why) &&
           std::any_of(names.begin(), names.end(),
                       [&gps](const std::string& name) { return gps.count(name) != 0; });
}

bool HoldsOnlyGpsProperties(const std::string& packet) {
    std::vector<XmpNode> others;
    std::map<std::string, XmpNode> gps;
    std::string why;
    return ReadNodes(packet, others, gps, why) && others.empty();
}

bool SamePropertiesBesideGps(const std::string& a, const std::string& b) {
    std::vector<XmpNode> first;
    std::vector<XmpNode> second;
    std::map<std::string, XmpNode> ignored;
    std::string why;
    return ReadNodes(a, first, ignored, why) && ReadNodes(b, second, ignored, why) &&
           first == second;
}

}  // namespace geotal
