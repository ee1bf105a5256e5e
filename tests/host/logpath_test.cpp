// The log's final path, as the system reports it past every link, against the path asked
// for: the same file only when they name the same place.
#include "shell/logpath.h"

#include <gtest/gtest.h>

namespace {

TEST(LogPath, TheSamePathWithOrWithoutTheLongPathPrefixInAnyLetterCase) {
    EXPECT_TRUE(IsSameLogPath("\\\\?\\C:\\Windows\\Logs\\j71.log", "C:\\Windows\\Logs\\j71.log", 0,
                              nullptr));
    EXPECT_TRUE(IsSameLogPath("\\\\?\\C:\\Windows\\Logs\\j71.log", "c:\\WINDOWS\\logs\\J71.LOG", 0,
                              nullptr));
    EXPECT_TRUE(IsSameLogPath("C:\\x.log", "C:/x.log", 0, nullptr));
    EXPECT_TRUE(IsSameLogPath("\\\\?\\UNC\\server\\share\\j71.log", "\\\\server\\share\\j71.log", 0,
                              nullptr));
    EXPECT_TRUE(IsSameLogPath("\\\\?\\UNC\\server\\share\\j71.log",
                              "\\\\?\\unc\\SERVER\\share\\j71.log", 0, nullptr));
}

// What a link or junction on the way, or a name made in advance, makes the final path.
TEST(LogPath, APathThatLedElsewhereIsAnotherFile) {
    EXPECT_FALSE(
        IsSameLogPath("\\\\?\\C:\\Windows\\win.ini", "C:\\Windows\\Temp\\j71.log", 0, nullptr));
    EXPECT_FALSE(IsSameLogPath("\\\\?\\D:\\Logs\\j71.log", "C:\\Logs\\j71.log", 0, nullptr));
    EXPECT_FALSE(IsSameLogPath("\\\\?\\C:\\Logs\\j71.log.txt", "C:\\Logs\\j71.log", 0, nullptr));
    EXPECT_FALSE(IsSameLogPath("\\\\?\\C:\\Logs\\j71.log", "C:\\Logs\\j71.log.txt", 0, nullptr));
    EXPECT_FALSE(
        IsSameLogPath("\\\\?\\UNC\\server\\share\\j71.log", "C:\\share\\j71.log", 0, nullptr));
    EXPECT_FALSE(
        IsSameLogPath("\\\\?\\C:\\share\\j71.log", "\\\\server\\share\\j71.log", 0, nullptr));
    EXPECT_FALSE(IsSameLogPath("", "C:\\x.log", 0, nullptr));
    EXPECT_FALSE(IsSameLogPath("\\\\?\\C:\\x.log", "", 0, nullptr));
    EXPECT_FALSE(IsSameLogPath(nullptr, "C:\\x.log", 0, nullptr));
}

// A drive letter mapped to a share: the system names the share, so the path within it
// is compared.
TEST(LogPath, OnAMappedDriveThePathWithinTheShareIsCompared) {
    EXPECT_TRUE(
        IsSameLogPath("\\\\?\\UNC\\server\\share\\logs\\j71.log", "Z:\\logs\\j71.log", 1, nullptr));
    EXPECT_FALSE(IsSameLogPath("\\\\?\\UNC\\server\\share\\other\\j71.log", "Z:\\logs\\j71.log", 1,
                               nullptr));
    EXPECT_FALSE(IsSameLogPath("\\\\?\\UNC\\server", "Z:\\logs\\j71.log", 1, nullptr));
    EXPECT_FALSE(IsSameLogPath("\\\\?\\C:\\logs\\j71.log", "Z:\\logs\\j71.log", 1, nullptr));
}

// Code page 949: the second byte of a double-byte character may be an ASCII letter, which
// letter case must not fold ("\x81\x41" and "\x81\x61" are two different characters).
TEST(LogPath, TheSecondByteOfADoubleByteCharacterIsComparedAsItIs) {
    unsigned char leadBytes[256] = {};
    for (int byte = 0x81; byte <= 0xFE; byte++)
        leadBytes[byte] = 1;
    EXPECT_TRUE(IsSameLogPath("\\\\?\\C:\\\x81\x41.log", "c:\\\x81\x41.LOG", 0, leadBytes));
    EXPECT_FALSE(IsSameLogPath("\\\\?\\C:\\\x81\x41.log", "C:\\\x81\x61.log", 0, leadBytes));
    EXPECT_FALSE(IsSameLogPath("\\\\?\\C:\\\x81", "C:\\\x81\x61", 0, leadBytes));
    // Without the code page's lead bytes the same bytes are two letters of either case.
    EXPECT_TRUE(IsSameLogPath("\\\\?\\C:\\\x81\x41.log", "C:\\\x81\x61.log", 0, nullptr));
}

} // namespace
