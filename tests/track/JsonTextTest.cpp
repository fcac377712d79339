// Reading a JSON value from its text as it is asked: what a huge element's readers rely on
// instead of simdjson's tree.
#include "track/JsonText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace geotal {
namespace {

std::vector<std::string> ItemTexts(const JsonText& array) {
    std::vector<std::string> texts;
    for (JsonText item : array.Items()) {
        std::string_view text;
        double number = 0;
        JsonText inner;
        if (item.String(text)) {
            texts.push_back("s:" + std::string(text));
        } else if (item.Number(number)) {
            texts.push_back("n:" + std::to_string(number));
        } else if (item.IsArray()) {
            texts.push_back("array");
        } else if (item.Member("a", inner)) {
            texts.push_back("object with a");
        } else {
            texts.push_back("other");
        }
    }
    return texts;
}

TEST(JsonText, findsTheFirstMemberOfItsNameAtAnyPlace) {
    JsonStrings strings;
    const JsonText object(
        R"({ "skip" : [1, {"x": "]"}, "}"] , "l\u0061t":47.5, "lat":1, "inner":{"lat":2},)"
        R"( "name" : "a\"b" })",
        &strings);
    double value = 0;
    JsonText member;
    ASSERT_TRUE(object.Member("lat", member));
    EXPECT_TRUE(member.Number(value));
    EXPECT_EQ(value, 47.5) << "the escaped key comes first";
    ASSERT_TRUE(object.Member("inner", member));
    JsonText inner;
    ASSERT_TRUE(member.Member("lat", inner));
    EXPECT_TRUE(inner.Number(value));
    EXPECT_EQ(value, 2);
    std::string_view name;
    ASSERT_TRUE(object.Member("name", member));
    EXPECT_TRUE(member.String(name));
    EXPECT_EQ(name, "a\"b");
    EXPECT_FALSE(object.Member("x", member)) << "members of members are not the object's";
    EXPECT_FALSE(object.Member("missing", member));
    EXPECT_FALSE(JsonText("[1,2]", &strings).Member("lat", member));
    EXPECT_FALSE(JsonText().Member("lat", member));
}

TEST(JsonText, walksTheItemsOfAnArrayAndNothingElse) {
    JsonStrings strings;
    EXPECT_EQ(ItemTexts(JsonText(R"([ 1 , "two" ,[3, [4]],{"a":[5]} , -6e1 ])", &strings)),
              (std::vector<std::string>{"n:1.000000", "s:two", "array", "object with a",
                                        "n:-60.000000"}));
    EXPECT_EQ(ItemTexts(JsonText("[]", &strings)), std::vector<std::string>{});
    EXPECT_EQ(ItemTexts(JsonText("[ ]", &strings)), std::vector<std::string>{});
    EXPECT_EQ(ItemTexts(JsonText(R"({"a":[1]})", &strings)), std::vector<std::string>{});
    EXPECT_EQ(ItemTexts(JsonText("7", &strings)), std::vector<std::string>{});
}

struct ScalarCase {
    const char* text;
    bool isNumber;
    double number;
    bool isString;
    std::string string;
};

TEST(JsonText, readsNumbersAndStringsAsJsonWritesThem) {
    const ScalarCase cases[] = {
        {"0", true, 0, false, ""},
        {"-12.5e-1", true, -1.25, false, ""},
        {"1E3", true, 1000, false, ""},
        {"8.123456789012345", true, 8.123456789012345, false, ""},
        {"-inf", false, 0, false, ""},
        {"nan", false, 0, false, ""},
        {"1e999", false, 0, false, ""},
        {"+1", false, 0, false, ""},
        {"12abc", false, 0, false, ""},
        {"true", false, 0, false, ""},
        {"\"12\"", false, 0, true, "12"},
        {R"("")", false, 0, true, ""},
        {R"("48.85\u00b0, 2.35\u00B0")", false, 0, true, "48.85\xC2\xB0, 2.35\xC2\xB0"},
        {R"("\ud83d\ude00 \/ \\ \t")", false, 0, true, "\xF0\x9F\x98\x80 / \\ \t"},
        {R"("a lone \ud83d half")", false, 0, false, ""},
        {R"("a lone \ude00 half")", false, 0, false, ""},
        {R"("an unknown \x escape")", false, 0, false, ""},
        {R"("a short \u12 escape")", false, 0, false, ""},
    };
    for (const ScalarCase& c : cases) {
        JsonStrings strings;
        const JsonText value(c.text, &strings);
        double number = -1;
        std::string_view string;
        EXPECT_EQ(value.Number(number), c.isNumber) << c.text;
        if (c.isNumber) {
            EXPECT_EQ(number, c.number) << c.text;
        }
        EXPECT_EQ(value.String(string), c.isString) << c.text;
        if (c.isString) {
            EXPECT_EQ(string, c.string) << c.text;
        }
    }
}

// A string with escapes is copied unescaped, and kept while its array item is read: a huge
// array of them holds one at a time, and strings read before the array stay.
TEST(JsonText, keepsAnUnescapedStringWhileItsItemIsRead) {
    JsonStrings strings;
    const JsonText object(R"({"type":"Line\u0053tring","times":["a\/1","b\/2","plain"]})",
                          &strings);
    std::string_view type;
    JsonText member;
    ASSERT_TRUE(object.Member("type", member));
    ASSERT_TRUE(member.String(type));
    ASSERT_TRUE(object.Member("times", member));
    std::vector<std::string> texts;
    std::vector<std::size_t> kept;
    for (JsonText item : member.Items()) {
        std::string_view text;
        ASSERT_TRUE(item.String(text));
        texts.emplace_back(text);
        kept.push_back(strings.size());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"a/1", "b/2", "plain"}));
    EXPECT_EQ(kept, (std::vector<std::size_t>{2, 2, 1})) << "only strings with escapes are copied";
    EXPECT_EQ(type, "LineString");
}

}  // namespace
}  // namespace geotal
