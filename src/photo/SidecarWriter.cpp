#include "photo/SidecarWriter.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "photo/Exiv2Metadata.h"
#include "photo/ReplaceFile.h"
#include "photo/Sidecar.h"
#include "photo/XmpValues.h"
#include "support/DateTime.h"

namespace geotal {
namespace {

// "47,30.12345678N": whole degrees, then minutes to 1e-8 (a millimetre), counted in whole
// units so that rounding never gives 60 minutes.
std::string XmpCoordinate(double secondsOfArc, char positive, char negative) {
    const long long units = std::llround(std::fabs(secondsOfArc) / 60.0 * 1e8);
    const long long perDegree = 60LL * 100000000LL;
    char text[64];
    std::snprintf(text, sizeof text, "%lld,%02lld.%08lld%c", units / perDegree,
                  units % perDegree / 100000000LL, units % 100000000LL,
                  secondsOfArc < 0 ? negative : positive);
    return text;
}

WriteOutcome Failure(WriteCode code, const std::string& sidecar, const std::string& why) {
    WriteOutcome outcome;
    outcome.result = WriteResult::Failed;
    outcome.code = code;
    outcome.message = "Cannot write the sidecar " + sidecar + ": " + why;
    return outcome;
}

// Whether the packet, parsed again, gives the position written (to well below a metre).
bool GivesPosition(const std::string& packet, const GeoPosition& position, std::string& why) {
    TagTexts xmp;
    if (!ParseXmpPacket(packet, xmp, why)) {
        return false;
    }
    const MaybePosition read = XmpPosition(xmp);
    if (!read || std::fabs(read->latitude - position.latitude) > 0.001 ||
        std::fabs(read->longitude - position.longitude) > 0.001) {
        why = "the written packet does not read back with the position";
        return false;
    }
    return true;
}

}  // namespace

XmpGpsValues SidecarGpsValues(const GeoPosition& position) {
    XmpGpsValues values;
    values.latitude = XmpCoordinate(position.latitude, 'N', 'S');
    values.longitude = XmpCoordinate(position.longitude, 'E', 'W');
    values.version = "2.2.0.0";
    if (position.altitude && std::fabs(*position.altitude) * 1000 <= kLargestAltitude) {
        values.altitude =
            std::to_string(std::llround(std::fabs(*position.altitude) * 1000)) + "/1000";
        values.altitudeRef = *position.altitude < 0 ? "1" : "0";
    } else {
        values.removed = {"GPSAltitude", "GPSAltitudeRef"};
    }
    if (position.fixTime) {
        const CalendarTime t = FromOleDate(*position.fixTime);
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
        values.timeStamp = text;
    } else {
        values.removed.push_back("GPSTimeStamp");
    }
    return values;
}

std::string NewSidecarPacket(const XmpGpsValues& values) {
    std::string properties = "   exif:GPSVersionID=\"" + values.version +
                             "\"\n   exif:GPSLatitude=\"" + values.latitude +
                             "\"\n   exif:GPSLongitude=\"" + values.longitude + "\"";
    if (!values.altitude.empty()) {
        properties += "\n   exif:GPSAltitudeRef=\"" + values.altitudeRef +
                      "\"\n   exif:GPSAltitude=\"" + values.altitude + "\"";
    }
    if (!values.timeStamp.empty()) {
        properties += "\n   exif:GPSTimeStamp=\"" + values.timeStamp + "\"";
    }
    return "<?xpacket begin=\"\xef\xbb\xbf\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
           " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "  <rdf:Description rdf:about=\"\"\n"
           "   xmlns:exif=\"http://ns.adobe.com/exif/1.0/\"\n" +
           properties +
           "/>\n"
           " </rdf:RDF>\n"
           "</x:xmpmeta>\n"
           "<?xpacket end=\"w\"?>\n";
}

bool EditSidecarPacket(const std::string& packet, const XmpGpsValues& values, std::string& edited,
                       std::string& why) {
    TagTexts xmp;
    if (!ParseXmpPacket(packet, xmp, why)) {
        return false;
    }
    switch (EditXmpGps(packet, values, edited)) {
        case XmpEditResult::Edited:
            return true;
        case XmpEditResult::UnknownForm:
            why = "it holds a position in a form that cannot be edited";
            return false;
        case XmpEditResult::NoPosition:
            break;
    }
    // A description of its own, as RDF allows several, keeps every byte of the others.
    const std::size_t end = packet.rfind("</rdf:RDF>");
    if (end == std::string::npos) {
        why = "its RDF has no end tag where the position could go";
        return false;
    }
    const std::string whole = NewSidecarPacket(values);
    const std::size_t start = whole.find("  <rdf:Description");
    const std::size_t stop = whole.find(" </rdf:RDF>");
    edited = packet.substr(0, end) + whole.substr(start, stop - start) + packet.substr(end);
    return true;
}

WriteOutcome WriteSidecarPosition(const std::string& photoPath, const GeoPosition& position) {
    const std::string existing = ExistingSidecarPath(photoPath);
    return WriteSidecarFile(existing.empty() ? DefaultSidecarPath(photoPath) : existing, position);
}

WriteOutcome WriteSidecarFile(const std::string& sidecar, const GeoPosition& position) {
    const XmpGpsValues values = SidecarGpsValues(position);
    std::string packet;
    std::string why;
    // As read: a sidecar another program writes or makes after this is never overwritten.
    std::string old;
    ReadState read;
    if (!ReadForReplacement(sidecar, old, read)) {
        return Failure(WriteCode::MergeFailed, sidecar, "it cannot be read");
    }
    if (!read.identity) {
        packet = NewSidecarPacket(values);
    } else if (!EditSidecarPacket(old, values, packet, why)) {
        return Failure(WriteCode::MergeFailed, sidecar, why);
    }
    if (!GivesPosition(packet, position, why)) {
        return Failure(WriteCode::CheckFailed, sidecar, why);
    }
    if (!ReplaceFileContents(sidecar, packet, why, nullptr, read)) {
        WriteOutcome outcome = Failure(WriteCode::RenameNewFailed, sidecar, why);
        outcome.message = why;  // it names the sidecar and what failed already
        return outcome;
    }
    WriteOutcome outcome;
    outcome.result = WriteResult::Written;
    return outcome;
}

}  // namespace geotal
