// Messages for copy failures, the copy-list name check and the SZDD header.
#include "install/copyerrors.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

TEST(CopyErrorStringId, EveryCode) {
    EXPECT_EQ(4018u, CopyErrorStringId(1));
    EXPECT_EQ(4007u, CopyErrorStringId(-1));
    EXPECT_EQ(4008u, CopyErrorStringId(-2));
    EXPECT_EQ(4016u, CopyErrorStringId(-3));
    EXPECT_EQ(4017u, CopyErrorStringId(-4));
    EXPECT_EQ(4015u, CopyErrorStringId(-5));
    EXPECT_EQ(4014u, CopyErrorStringId(-6));
    EXPECT_EQ(4013u, CopyErrorStringId(-7));
    EXPECT_EQ(4016u, CopyErrorStringId(-8));
    for (int other : {0, 2, 1009, -9, -100, 0x7fffffff, (int)0x80000000})
        EXPECT_EQ(4013u, CopyErrorStringId(other)) << other;
}

TEST(IsBadHandleCode, OnlyTheTwoHandleCodes) {
    EXPECT_TRUE(IsBadHandleCode(-1));
    EXPECT_TRUE(IsBadHandleCode(-2));
    for (int other : {1, 0, -3, -4, -5, -6, -7, -8, 1009})
        EXPECT_FALSE(IsBadHandleCode(other)) << other;
}

TEST(IsSafeCopyName, PlainNamesPass) {
    for (const char *name : {"UNIDRV.DLL", "J71.GPD", "a", "name with spaces.txt", "a.b.c", ".x"})
        EXPECT_TRUE(IsSafeCopyName(name)) << name;
}

TEST(IsSafeCopyName, NamesThatLeaveTheDirectoryAreRefused) {
    for (const char *name : {"", "..", ".", "..\\x.dll", "sub\\x.dll", "sub/x.dll", "/x", "C:x.dll",
                             "x.dll:stream", "a..b", "x\\", "\\\\server\\share"})
        EXPECT_FALSE(IsSafeCopyName(name)) << name;
    EXPECT_FALSE(IsSafeCopyName(nullptr));
}

// Header that mscompress writes for a 0x01020304-byte file named "x.dl?" -> missing 'l'.
static const unsigned char kHeader[SZDD_HEADER_SIZE] = {'S',  'Z', 'D', 'D',  0x88, 0xF0, 0x27,
                                                        0x33, 'A', 'l', 0x04, 0x03, 0x02, 0x01};

TEST(ReadSzddSize, AnnouncedSizeIsLittleEndian) {
    unsigned long size = 0;
    ASSERT_TRUE(ReadSzddSize(kHeader, sizeof kHeader, &size));
    EXPECT_EQ(0x01020304ul, size);

    unsigned char big[SZDD_HEADER_SIZE + 4];
    memcpy(big, kHeader, sizeof kHeader);
    big[13] = 0xFF;
    ASSERT_TRUE(ReadSzddSize(big, sizeof big, &size));
    EXPECT_EQ(0xFF020304ul, size);
}

TEST(ReadSzddSize, AnythingElseIsNotCompressed) {
    unsigned long size = 7;
    EXPECT_FALSE(ReadSzddSize(kHeader, SZDD_HEADER_SIZE - 1, &size));
    EXPECT_FALSE(ReadSzddSize(nullptr, 0, &size));
    for (unsigned i = 0; i < 9; i++) {
        unsigned char bad[SZDD_HEADER_SIZE];
        memcpy(bad, kHeader, sizeof bad);
        bad[i] ^= 0x20;
        EXPECT_FALSE(ReadSzddSize(bad, sizeof bad, &size)) << i;
    }
    EXPECT_EQ(7ul, size);
}

// The LZ library's compressed-file names, as driver disks keep them.
TEST(CompressedFileName, TheLibrarysRule) {
    struct {
        const char *name, *compressed;
    } cases[] = {
        {"UNIDRV.DLL", "UNIDRV.DL_"},
        {"J71.GPD", "J71.GP_"},
        {"J71.IN", "J71.IN_"},
        {"A.B", "A.B_"},
        {"NAME.", "NAME._"},
        {"README", "README._"},
        {"A.B.CDE", "A.B.CD_"},
        {"X.HTML", "X.HTM_"},
        {".x", ".x_"},
        {"UNIDRV.DL_", "UNIDRV.DL_"},
        {"a b.txt", "a b.tx_"},
        {"N", "N._"},
    };
    for (const auto &c : cases) {
        char out[64] = "unchanged";
        EXPECT_EQ(1, CompressedFileName(c.name, out, sizeof out)) << c.name;
        EXPECT_STREQ(c.compressed, out) << c.name;
    }
}

// The name is never cut: one byte short of room gives nothing at all.
TEST(CompressedFileName, ExactRoomOrNothing) {
    struct {
        const char *name;
        size_t room; // the compressed name's length with its NUL
    } cases[] = {{"UNIDRV.DLL", 11}, {"J71.IN", 8}, {"README", 9}};
    for (const auto &c : cases) {
        char out[16];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(0, CompressedFileName(c.name, out, c.room - 1)) << c.name;
        EXPECT_EQ(0, out[0]) << c.name;
        EXPECT_EQ('x', out[c.room - 1]) << c.name << ": written past the room given";
        EXPECT_EQ(1, CompressedFileName(c.name, out, c.room)) << c.name;
        EXPECT_EQ(c.room - 1, strlen(out)) << c.name;
    }
    char out[4] = "abc";
    EXPECT_EQ(0, CompressedFileName("A.B", out, 0));
    EXPECT_EQ('a', out[0]) << "no room at all: nothing written";
    EXPECT_EQ(0, CompressedFileName(nullptr, out, sizeof out));
    EXPECT_EQ(0, out[0]);
}

// The files mscompress made for the copy engine's tests: whole, cut short, and plain.
static std::string Fixture(const char *name) {
    std::string path = std::string(DRVSETUP_SOURCE_DIR) + "/tests/win/data/" + name;
    FILE *file = fopen(path.c_str(), "rb");
    std::string bytes;
    if (!file)
        return bytes;
    char block[4096];
    for (size_t got; (got = fread(block, 1, sizeof block, file)) > 0;)
        bytes.append(block, got);
    fclose(file);
    return bytes;
}

static int Check(const std::string &bytes) {
    return CheckSzddData((const unsigned char *)bytes.data(), bytes.size());
}

TEST(CheckSzddData, WholeDamagedOrPlain) {
    std::string packed = Fixture("packed.sz");
    ASSERT_GT(packed.size(), 14u);
    EXPECT_EQ(Check(packed), SZDD_WHOLE);
    EXPECT_EQ(Check(Fixture("truncated.sz")), SZDD_DAMAGED);
    EXPECT_EQ(Check(Fixture("packed.bin")), SZDD_PLAIN);

    std::string announced = packed;
    announced[10] ^= 1; // the size the header announces, one off
    EXPECT_EQ(Check(announced), SZDD_DAMAGED);
    std::string method = packed;
    method[8] = 'B';
    EXPECT_EQ(Check(method), SZDD_DAMAGED);
    EXPECT_EQ(Check(packed.substr(0, 12)), SZDD_DAMAGED); // header cut short
    EXPECT_EQ(Check(packed.substr(0, 7)), SZDD_PLAIN);    // no signature at all
    EXPECT_EQ(Check(std::string()), SZDD_PLAIN);
    EXPECT_EQ(CheckSzddData(nullptr, 20), SZDD_PLAIN);

    // Eight literals, then one reference of 3 + 0x0F bytes: 26 bytes announced.
    std::string header("SZDD\x88\xF0\x27\x33"
                       "A\0\x1A\0\0\0",
                       14);
    std::string stream = header +
                         "\xFF"
                         "ABCDEFGH" +
                         std::string("\x00\x00\x0F", 3);
    EXPECT_EQ(Check(stream), SZDD_WHOLE);
    EXPECT_EQ(Check(stream.substr(0, stream.size() - 1)), SZDD_DAMAGED); // reference cut in half
}
