// The file version of a version resource, as a module's resource section holds it.
#include "install/fileversion.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

void PutWord(std::vector<unsigned char> *block, size_t at, unsigned value) {
    (*block)[at] = (unsigned char)value;
    (*block)[at + 1] = (unsigned char)(value >> 8);
}

void PutDoubleWord(std::vector<unsigned char> *block, size_t at, unsigned long value) {
    PutWord(block, at, (unsigned)(value & 0xFFFF));
    PutWord(block, at + 2, (unsigned)(value >> 16));
}

// A version resource as a resource compiler writes it: the root record, its key, the
// fixed information and (here) a child record after it, `length` the root's length.
std::vector<unsigned char> Resource(unsigned long ms, unsigned long ls, size_t extra = 24) {
    std::vector<unsigned char> block(40 + 52 + extra, 0);
    PutWord(&block, 0, (unsigned)block.size());
    PutWord(&block, 2, 52);
    PutWord(&block, 4, 0);
    const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof key; i++)
        PutWord(&block, 6 + 2 * i, (unsigned char)key[i]);
    PutDoubleWord(&block, 40, 0xFEEF04BDul);
    PutDoubleWord(&block, 44, 0x00010000ul);
    PutDoubleWord(&block, 48, ms);
    PutDoubleWord(&block, 52, ls);
    PutDoubleWord(&block, 56, 0x00070008ul); // product version: not the file's
    PutDoubleWord(&block, 60, 0x00090000ul);
    return block;
}

unsigned long long Read(const std::vector<unsigned char> &block, int *found) {
    unsigned long long version = 0x1234;
    *found = ReadFixedFileVersion(block.data(), block.size(), &version);
    return version;
}

TEST(ReadFixedFileVersion, FileVersionOfTheFixedRecord) {
    int found;
    EXPECT_EQ(0x0002000300040005ull, Read(Resource(0x00020003ul, 0x00040005ul), &found));
    EXPECT_EQ(1, found);
    EXPECT_EQ(0xFFFF0000FFFF0001ull, Read(Resource(0xFFFF0000ul, 0xFFFF0001ul, 0), &found));
    EXPECT_EQ(1, found);
}

// Whatever breaks the record leaves the version untouched and says so.
TEST(ReadFixedFileVersion, AnythingElseHasNone) {
    std::vector<std::vector<unsigned char>> broken;
    auto edit = [&](void (*change)(std::vector<unsigned char> *)) {
        std::vector<unsigned char> block = Resource(0x00020000ul, 0);
        change(&block);
        broken.push_back(block);
    };
    edit([](std::vector<unsigned char> *b) { PutDoubleWord(b, 40, 0xFEEF04BCul); });
    edit([](std::vector<unsigned char> *b) { PutWord(b, 6, 'v'); });
    edit([](std::vector<unsigned char> *b) { PutWord(b, 36, 'X'); }); // key without its NUL
    edit([](std::vector<unsigned char> *b) { PutWord(b, 2, 51); });   // value too short
    edit([](std::vector<unsigned char> *b) { PutWord(b, 0, 91); });   // record too short
    edit([](std::vector<unsigned char> *b) { PutWord(b, 0, (unsigned)b->size() + 1); });
    edit([](std::vector<unsigned char> *b) { b->resize(91); });
    edit([](std::vector<unsigned char> *b) { b->clear(); });
    for (size_t i = 0; i < broken.size(); i++) {
        int found;
        EXPECT_EQ(0x1234ull, Read(broken[i], &found)) << "case " << i;
        EXPECT_EQ(0, found) << "case " << i;
    }
    unsigned long long version = 7;
    EXPECT_EQ(0, ReadFixedFileVersion(nullptr, 100, &version));
    std::vector<unsigned char> good = Resource(1, 2);
    EXPECT_EQ(0, ReadFixedFileVersion(good.data(), good.size(), nullptr));
}

// A record's own length bounds it even inside a larger block: a resource section may
// pad a resource, and nothing beyond the record counts.
TEST(ReadFixedFileVersion, RecordLengthWithinAPaddedBlock) {
    std::vector<unsigned char> block = Resource(0x00010000ul, 0, 0);
    block.resize(block.size() + 64, 0xEE);
    int found;
    EXPECT_EQ(0x0001000000000000ull, Read(block, &found));
    EXPECT_EQ(1, found);
}

TEST(FormatFileVersion, FourParts) {
    char out[32];
    FormatFileVersion(0x0006000117610000ull, out, sizeof out);
    EXPECT_STREQ("6.1.5985.0", out);
    FormatFileVersion(0xFFFFFFFFFFFFFFFFull, out, sizeof out);
    EXPECT_STREQ("65535.65535.65535.65535", out);
    FormatFileVersion(0x0001000200030004ull, out, 6);
    EXPECT_STREQ("1.2.3", out);
}

} // namespace
