// The KML export read back by real XML parsers: whatever bytes a file name holds, the document
// must stay well-formed UTF-8, or map programs reject the whole file.
#include <expat.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "output/Export.h"
#include "output/XmlText.h"
#include "support/TempFolder.h"

namespace geotal {
namespace {

// Parses text with expat; answers the text of every <name> element, or the parser's complaint.
struct NameCollector {
    std::vector<std::string> names;
    bool inName = false;
};

bool ParseNames(const std::string& text, std::vector<std::string>& names, std::string& why) {
    NameCollector collector;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &collector);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char**) {
            auto* c = static_cast<NameCollector*>(data);
            c->inName = std::string(name) == "name";
            if (c->inName) {
                c->names.emplace_back();
            }
        },
        [](void* data, const XML_Char*) { static_cast<NameCollector*>(data)->inName = false; });
    XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* s, int length) {
        auto* c = static_cast<NameCollector*>(data);
        if (c->inName) {
            c->names.back().append(s, static_cast<std::size_t>(length));
        }
    });
    const bool ok =
        XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
    if (!ok) {
        why = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
              std::to_string(XML_GetCurrentLineNumber(parser));
    }
    XML_ParserFree(parser);
    names = collector.names;
    return ok;
}

PhotoRecord Named(const std::string& name) {
    PhotoRecord photo;
    photo.fileName = name;
    photo.position = PositionFromFileValues(3600, 7200);
    photo.marked = true;
    return photo;
}

const std::string kFffd = "\xEF\xBF\xBD";

struct NameCase {
    const char* what;
    std::string bytes;
    std::string read;  // what a parser reads back
};

const NameCase kNames[] = {
    {"plain", "IMG_0001.JPG", "IMG_0001.JPG"},
    {"UTF-8 of every length", "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80.jpg",
     "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80.jpg"},
    {"Latin-1 from an old card", "M\xFCnchen.jpg", "M" + kFffd + "nchen.jpg"},
    {"a terminal escape", "\x1B[31mred.jpg", kFffd + "[31mred.jpg"},
    {"other control characters", std::string("a\x01\x00\x1F", 4) + "b.jpg",
     "a" + kFffd + kFffd + kFffd + "b.jpg"},
    {"tab, line feed and carriage return", "tab\tline\nreturn\r.jpg", "tab\tline\nreturn\r.jpg"},
    {"an overlong slash", "a\xC0\xAF.jpg", "a" + kFffd + kFffd + ".jpg"},
    {"a UTF-16 surrogate", "a\xED\xA0\x80.jpg", "a" + kFffd + kFffd + kFffd + ".jpg"},
    {"beyond U+10FFFF", "a\xF4\x90\x80\x80.jpg", "a" + kFffd + kFffd + kFffd + kFffd + ".jpg"},
    {"a noncharacter XML forbids", "a\xEF\xBF\xBE.jpg", "a" + kFffd + ".jpg"},
    {"a character cut short at the end", "a.jpg\xE2\x82", "a.jpg" + kFffd + kFffd},
    {"markup", "]]>Tom & <Jerry>.jpg", "]]>Tom & <Jerry>.jpg"},
};

TEST(KmlExport, staysWellFormedUtf8WhateverBytesANameHolds) {
    PhotoList photos;
    for (const NameCase& c : kNames) {
        photos.records.push_back(Named(c.bytes));
    }
    const std::string kml = KmlText(photos);
    std::vector<std::string> names;
    std::string why;
    ASSERT_TRUE(ParseNames(kml, names, why)) << why << "\n" << kml;
    ASSERT_EQ(names.size(), std::size(kNames) + 1);
    EXPECT_EQ(names[0], "MyPhotos");
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        EXPECT_EQ(names[i + 1], kNames[i].read) << kNames[i].what;
    }
}

TEST(KmlExport, eachNameAloneReadsBackAsTheParserSeesIt) {
    for (const NameCase& c : kNames) {
        const std::string doc = "<name>" + XmlElementText(c.bytes) + "</name>";
        std::vector<std::string> names;
        std::string why;
        ASSERT_TRUE(ParseNames(doc, names, why)) << c.what << ": " << why;
        ASSERT_EQ(names.size(), 1u) << c.what;
        EXPECT_EQ(names[0], c.read) << c.what;
    }
}

// A second, independent parser where the machine has it: libxml2's command-line tool.
TEST(KmlExport, xmllintReadsTheExportedFile) {
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "xmllint is not installed";
    }
    PhotoList photos;
    for (const NameCase& c : kNames) {
        photos.records.push_back(Named(c.bytes));
    }
    test::TempFolder folder;
    const ExportOutcome outcome = ExportPositions(folder / "out.kml", ExportFormat::Kml, 0, photos);
    ASSERT_TRUE(outcome.written) << outcome.error;
    const std::string command = "xmllint --noout '" + (folder / "out.kml") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

}  // namespace
}  // namespace geotal
