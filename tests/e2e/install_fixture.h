// What whole installations of the x64 build have in common when the robot drives them:
// the demo's laser model, the spooler state a case may change and puts back, and what the
// wizard shows next.
#pragma once

#include "robot/robot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace e2e {

const char kEnvironment[] = "Windows x64";
const char kSucceeded[] = "The Installation has done successfully.";
const char kFailed[] = "The Installation has failed.";
const char kLaser[] = "Zelmox J71 Laser";
// The demo's list for the laser model, in order, without its at signs.
const std::vector<std::string> kLaserFiles = {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP",
                                              "J71.GPD",    "J71.DLL",      "J71LASER.INI"};

inline std::set<std::string> SetOf(const std::vector<std::string> &names) {
    return std::set<std::string>(names.begin(), names.end());
}

// A file compressed by the LZ library ("SZDD", method 'A': LZSS over a 4096-byte window
// that starts filled with blanks), expanded here without the platform's help so that its
// copies are checked against something independent; any other file as it stands.
inline std::string ExpandSzdd(const std::string &packed) {
    if (packed.size() < 14 || packed.compare(0, 4, "SZDD") != 0)
        return packed;
    std::string out;
    unsigned char window[4096];
    std::fill(window, window + sizeof window, ' ');
    unsigned position = 4096 - 16;
    auto emit = [&](unsigned char c) {
        out += (char)c;
        window[position] = c;
        position = (position + 1) & 4095;
    };
    size_t at = 14;
    while (at < packed.size()) {
        unsigned flags = (unsigned char)packed[at++];
        for (int bit = 0; bit < 8 && at < packed.size(); bit++, flags >>= 1) {
            if (flags & 1) {
                emit((unsigned char)packed[at++]);
                continue;
            }
            if (at + 1 >= packed.size())
                return out;
            unsigned low = (unsigned char)packed[at], high = (unsigned char)packed[at + 1];
            at += 2;
            unsigned from = low | (high & 0xF0) << 4;
            for (unsigned i = 0; i < (high & 0x0F) + 3; i++)
                emit(window[(from + i) & 4095]);
        }
    }
    return out;
}

// The copied files: each in the environment's driver directory and in its "3", the
// setup folder's file byte for byte, expanded when it is stored compressed.
inline void ExpectCopied(const std::string &folder, const std::vector<std::string> &files,
                         const std::string &environment = kEnvironment) {
    std::string directory = robot::DriverDirectory(environment);
    ASSERT_FALSE(directory.empty());
    for (const std::string &name : files) {
        std::string source;
        ASSERT_TRUE(robot::ReadWholeFile(folder + "\\" + name, &source)) << name;
        std::string expected = ExpandSzdd(source);
        for (const std::string &where : {directory, directory + "\\3"}) {
            std::string copy;
            ASSERT_TRUE(robot::ReadWholeFile(where + "\\" + name, &copy))
                << name << " is missing from " << where;
            EXPECT_TRUE(copy == expected) << name << " in " << where << " is not "
                                          << (expected == source ? "a copy" : "its expansion");
        }
    }
}

// The parts of the spooler a case may change, so that it can be put back as it was.
struct SpoolerState {
    std::set<std::string> printers, drivers, files, versionFiles;
};

inline SpoolerState ReadSpooler(const std::string &driverDirectory) {
    return {SetOf(robot::Printers()), SetOf(robot::DriverNames(kEnvironment)),
            SetOf(robot::FilesIn(driverDirectory)), SetOf(robot::FilesIn(driverDirectory + "\\3"))};
}

// Removes every printer, driver and driver file that was not there in `before`.
inline void RestoreSpooler(const SpoolerState &before, const std::string &driverDirectory) {
    for (const std::string &name : robot::Printers()) {
        if (before.printers.count(name))
            continue;
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (OpenPrinterA((LPSTR)name.c_str(), &printer, &defaults)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
    }
    for (const std::string &name : robot::DriverNames(kEnvironment))
        if (!before.drivers.count(name))
            DeletePrinterDriverA(nullptr, (LPSTR)kEnvironment, (LPSTR)name.c_str());
    for (const std::string &name : robot::FilesIn(driverDirectory))
        if (!before.files.count(name))
            DeleteFileA((driverDirectory + "\\" + name).c_str());
    for (const std::string &name : robot::FilesIn(driverDirectory + "\\3"))
        if (!before.versionFiles.count(name))
            DeleteFileA((driverDirectory + "\\3\\" + name).c_str());
}

// What the wizard shows next, among those asked for.
enum class Shown { kNothing, kMessage, kSystemBox, kPortPage, kFinish };

struct Sight {
    Shown what = Shown::kNothing;
    HWND window = nullptr;
    std::string caption, text;
};

inline Sight WaitForOneOf(const robot::Wizard &wizard, const std::vector<Shown> &wanted,
                          DWORD timeoutMs) {
    auto wants = [&](Shown what) {
        return std::find(wanted.begin(), wanted.end(), what) != wanted.end();
    };
    ULONGLONG end = robot::Now() + timeoutMs;
    for (;;) {
        Sight sight;
        HWND window;
        robot::MessageBoxInfo box;
        if (wants(Shown::kMessage) &&
            (window = robot::FindWindowOf(wizard, "", robot::kMessageText))) {
            sight = {Shown::kMessage, window, robot::TextOf(window),
                     robot::ControlText(window, robot::kMessageText)};
            return sight;
        }
        if (wants(Shown::kSystemBox) && robot::FindSystemMessageBox(wizard, &box)) {
            sight = {Shown::kSystemBox, box.window, box.caption, box.text};
            return sight;
        }
        if (wants(Shown::kPortPage) && (window = robot::FindWindowOf(wizard, "", robot::kPortList)))
            return {Shown::kPortPage, window, robot::TextOf(window), ""};
        if (wants(Shown::kFinish) && (window = robot::FindWindowOf(wizard, "", robot::kFinishText)))
            return {Shown::kFinish, window, robot::TextOf(window),
                    robot::ControlText(window, robot::kFinishText)};
        if (robot::Now() >= end || !robot::IsRunning(wizard))
            return sight;
        robot::Pump(10);
    }
}

// The first message, system message box or finish page the wizard shows.
inline Sight NextSight(const robot::Wizard &wizard, DWORD timeoutMs = 60000) {
    return WaitForOneOf(wizard, {Shown::kMessage, Shown::kSystemBox, Shown::kFinish}, timeoutMs);
}

inline std::string Describe(const Sight &sight) {
    switch (sight.what) {
    case Shown::kNothing:
        return "nothing";
    case Shown::kMessage:
        return "message \"" + sight.caption + "\": \"" + sight.text + "\"";
    case Shown::kSystemBox:
        return "system message box \"" + sight.caption + "\": \"" + sight.text + "\"";
    case Shown::kPortPage:
        return "the port page";
    case Shown::kFinish:
        return "finish page: \"" + sight.text + "\"";
    }
    return "?";
}

// The wizard's own message, answered with OK.
inline void ExpectMessage(const Sight &sight, const std::string &caption, const std::string &text) {
    ASSERT_EQ(sight.what, Shown::kMessage) << "saw " << Describe(sight);
    EXPECT_EQ(sight.caption, caption);
    EXPECT_EQ(sight.text, text);
    ASSERT_TRUE(robot::Press(sight.window, robot::kOk));
    ASSERT_TRUE(robot::WaitGone(sight.window));
}

// The system message box, answered with OK.
inline void ExpectBox(const Sight &sight, const std::string &caption, const std::string &text) {
    ASSERT_EQ(sight.what, Shown::kSystemBox) << "saw " << Describe(sight);
    EXPECT_EQ(sight.caption, caption);
    EXPECT_EQ(sight.text, text);
    ASSERT_TRUE(robot::Press(sight.window, IDOK));
    ASSERT_TRUE(robot::WaitGone(sight.window));
}

} // namespace e2e
