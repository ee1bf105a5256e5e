// Text rules of the setup information file, run natively under the sanitizers.
#include "setupinfo/infparse.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

std::string Field(const char *entry, int number) {
    size_t length = 12345;
    const char *field = ModelEntryField(entry, number, &length);
    if (!field)
        return "<none>";
    return std::string(field, length);
}

// Reads a NUL-separated list back as strings, up to its empty name, never past `size`.
std::vector<std::string> Names(const char *list, size_t size) {
    std::vector<std::string> names;
    size_t at = 0;
    while (at < size && list[at]) {
        size_t end = at;
        while (end < size && list[end])
            end++;
        EXPECT_LT(end, size) << "name without its NUL";
        names.emplace_back(list + at, end - at);
        at = end + 1;
    }
    EXPECT_LT(at, size) << "list without its final empty name";
    return names;
}

struct Parsed {
    int count;
    std::vector<std::string> names;
};

Parsed Parse(const char *value, size_t size = 1025) {
    std::vector<char> list(size, 'x');
    Parsed parsed;
    parsed.count = ParseCopyFiles(value, list.data(), size);
    parsed.names = Names(list.data(), size);
    return parsed;
}

using V = std::vector<std::string>;

} // namespace

TEST(ModelEntryField, FieldsAreTheRunsBetweenCommas) {
    EXPECT_EQ(Field("Inst,HWID,extra", 1), "Inst");
    EXPECT_EQ(Field("Inst,HWID,extra", 2), "HWID");
    EXPECT_EQ(Field("Inst,HWID,extra", 3), "extra");
    EXPECT_EQ(Field("Inst,HWID,extra", 4), "<none>");
}

TEST(ModelEntryField, EmptyRunsAreSkipped) {
    EXPECT_EQ(Field(",Inst,,HWID", 1), "Inst");
    EXPECT_EQ(Field(",Inst,,HWID", 2), "HWID");
    EXPECT_EQ(Field(",,,", 1), "<none>");
    EXPECT_EQ(Field("", 1), "<none>");
    EXPECT_EQ(Field("Inst,,", 2), "<none>");
}

TEST(ModelEntryField, BlanksAreKept) {
    EXPECT_EQ(Field("Inst, HWID ", 2), " HWID ");
    EXPECT_EQ(Field(" , x", 1), " ");
    EXPECT_EQ(Field(" , x", 2), " x");
}

TEST(ModelEntryField, SingleFieldHasNoSecond) {
    EXPECT_EQ(Field("Inst", 1), "Inst");
    EXPECT_EQ(Field("Inst", 2), "<none>");
    EXPECT_EQ(Field("Inst", 0), "<none>");
    EXPECT_EQ(ModelEntryField(NULL, 1, NULL), nullptr);
}

TEST(ParseCopyFiles, AtSigns) {
    Parsed p = Parse("@a.dll,@b.gpd,@c.hlp");
    EXPECT_EQ(p.count, 3);
    EXPECT_EQ(p.names, (V{"a.dll", "b.gpd", "c.hlp"}));
    // Only one leading at sign is dropped; others belong to the name.
    p = Parse("@@a,b@c,@");
    EXPECT_EQ(p.count, 2);
    EXPECT_EQ(p.names, (V{"@a", "b@c"}));
    p = Parse("@");
    EXPECT_EQ(p.count, 0);
    EXPECT_EQ(p.names, V{});
}

TEST(ParseCopyFiles, BlanksAndTrailingComma) {
    Parsed p = Parse("a.dll, b.dll ,c.dll,");
    EXPECT_EQ(p.count, 3);
    EXPECT_EQ(p.names, (V{"a.dll", " b.dll ", "c.dll"}));
    p = Parse("a,b,");
    EXPECT_EQ(p.count, 2);
    EXPECT_EQ(p.names, (V{"a", "b"}));
}

TEST(ParseCopyFiles, EmptyFieldsGiveNoNames) {
    Parsed p = Parse(",a,,b,,,@,c");
    EXPECT_EQ(p.count, 3);
    EXPECT_EQ(p.names, (V{"a", "b", "c"}));
    p = Parse(",,,");
    EXPECT_EQ(p.count, 0);
    EXPECT_EQ(p.names, V{});
    p = Parse("");
    EXPECT_EQ(p.count, 0);
    p = Parse(NULL);
    EXPECT_EQ(p.count, 0);
}

TEST(ParseCopyFiles, LongestValueFillsTheSessionList) {
    // A 1023-character value without commas needs 1023 + NUL + final NUL = 1025 bytes.
    std::string value(1023, 'n');
    Parsed p = Parse(value.c_str(), 1025);
    EXPECT_EQ(p.count, 1);
    ASSERT_EQ(p.names.size(), 1u);
    EXPECT_EQ(p.names[0], value);

    std::string many;
    for (int i = 0; i < 511; i++)
        many += "f,";
    many += "g"; // 1023 characters, 512 one-letter names
    ASSERT_EQ(many.size(), 1023u);
    p = Parse(many.c_str(), 1025);
    EXPECT_EQ(p.count, 512);
    EXPECT_EQ(p.names.size(), 512u);
    EXPECT_EQ(p.names.back(), "g");
}

TEST(ParseCopyFiles, RefusesWhatDoesNotFitAndLeavesAnEmptyList) {
    std::string value(1023, 'n');
    Parsed p = Parse(value.c_str(), 1024);
    EXPECT_EQ(p.count, -1);
    EXPECT_EQ(p.names, V{});

    // "ab" needs 4 bytes: 'a', 'b', its NUL and the final empty name.
    EXPECT_EQ(Parse("ab", 4).count, 1);
    EXPECT_EQ(Parse("ab", 3).count, -1);
    EXPECT_EQ(Parse("ab,c", 5).count, -1);
    EXPECT_EQ(Parse("ab,c", 6).count, 2);
    EXPECT_EQ(Parse("", 1).count, 0);
    char one = 'x';
    EXPECT_EQ(ParseCopyFiles("a", &one, 1), -1);
    EXPECT_EQ(one, '\0');
    EXPECT_EQ(ParseCopyFiles("a", NULL, 0), -1);
}

TEST(KeyList, CountsUpToTheFirstEmptyName) {
    EXPECT_EQ(CountKeyList("\"A\"\0\"B\"\0\"C\"\0\0"), 3u);
    EXPECT_EQ(CountKeyList("\0"), 0u);
    EXPECT_EQ(CountKeyList("x\0\0y\0\0"), 1u);
    EXPECT_EQ(CountKeyList(NULL), 0u);
}

TEST(KeyList, NamesLoseTheirQuotes) {
    const char list[] = "\"Alpha 100\"\0\"\"\0\"B\0x\0Unquoted\0\0";
    char out[1024];
    ASSERT_EQ(KeyListModelName(list, 0, out, sizeof out), 1);
    EXPECT_STREQ(out, "Alpha 100");
    ASSERT_EQ(KeyListModelName(list, 1, out, sizeof out), 1);
    EXPECT_STREQ(out, "");
    ASSERT_EQ(KeyListModelName(list, 2, out, sizeof out), 1); // two characters
    EXPECT_STREQ(out, "");
    strcpy(out, "old");
    ASSERT_EQ(KeyListModelName(list, 3, out, sizeof out), 1); // one character
    EXPECT_STREQ(out, "");
    ASSERT_EQ(KeyListModelName(list, 4, out, sizeof out), 1);
    EXPECT_STREQ(out, "nquote");
    strcpy(out, "kept");
    EXPECT_EQ(KeyListModelName(list, 5, out, sizeof out), 0);
    EXPECT_STREQ(out, "kept");
    EXPECT_EQ(KeyListModelName(list, 99, out, sizeof out), 0);
}

TEST(KeyList, LongNamesAreCutToTheBuffer) {
    std::string key = "\"" + std::string(1500, 'm') + "\"";
    std::vector<char> list(key.begin(), key.end());
    list.push_back('\0');
    list.push_back('\0');
    char out[1024];
    ASSERT_EQ(KeyListModelName(list.data(), 0, out, sizeof out), 1);
    EXPECT_EQ(strlen(out), 1023u);
    char small[4];
    ASSERT_EQ(KeyListModelName(list.data(), 0, small, sizeof small), 1);
    EXPECT_STREQ(small, "mmm");
}

TEST(ModelKey, QuotesTheNameWhenItFits) {
    char key[1024];
    ASSERT_EQ(MakeModelKey("J71 Laser", key, sizeof key), 1);
    EXPECT_STREQ(key, "\"J71 Laser\"");
    ASSERT_EQ(MakeModelKey("", key, sizeof key), 1);
    EXPECT_STREQ(key, "\"\"");

    std::string longest(MAX_MODEL_NAME, 'm');
    ASSERT_EQ(MakeModelKey(longest.c_str(), key, sizeof key), 1);
    EXPECT_EQ(strlen(key), 1023u);
    std::string tooLong(MAX_MODEL_NAME + 1, 'm');
    EXPECT_EQ(MakeModelKey(tooLong.c_str(), key, sizeof key), 0);
    EXPECT_STREQ(key, "");
}

TEST(CopyBounded, AlwaysEndsWithANul) {
    char out[5];
    CopyBounded(out, sizeof out, "COM1:");
    EXPECT_STREQ(out, "COM1");
    CopyBounded(out, sizeof out, "LPT");
    EXPECT_STREQ(out, "LPT");
    CopyBounded(out, sizeof out, NULL);
    EXPECT_STREQ(out, "");
}

TEST(PortIcon, ByKindOfPort) {
    EXPECT_STREQ(PortIconName("FILE:"), "IDI_SETUP");
    EXPECT_STREQ(PortIconName("file:"), "IDI_SETUP");
    EXPECT_STREQ(PortIconName("FiLe:"), "IDI_SETUP");
    EXPECT_STREQ(PortIconName("FILE"), "IDI_NETWORK");
    EXPECT_STREQ(PortIconName("FILE:X"), "IDI_NETWORK");

    EXPECT_STREQ(PortIconName("LPT1:"), "IDI_PORT");
    EXPECT_STREQ(PortIconName("COM2:"), "IDI_PORT");
    EXPECT_STREQ(PortIconName("COM10:"), "IDI_PORT");
    EXPECT_STREQ(PortIconName("LPT"), "IDI_PORT");

    EXPECT_STREQ(PortIconName("lpt1:"), "IDI_NETWORK");
    EXPECT_STREQ(PortIconName("com2:"), "IDI_NETWORK");
    EXPECT_STREQ(PortIconName("Com1:"), "IDI_NETWORK");
    EXPECT_STREQ(PortIconName("USB001"), "IDI_NETWORK");
    EXPECT_STREQ(PortIconName("\\\\server\\p"), "IDI_NETWORK");
    EXPECT_STREQ(PortIconName("CO"), "IDI_NETWORK");
    EXPECT_STREQ(PortIconName("IR:"), "IDI_NETWORK");
    EXPECT_STREQ(PortIconName(""), "IDI_NETWORK");
}
