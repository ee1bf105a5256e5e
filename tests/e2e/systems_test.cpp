// The systems drvsetup_x64.exe accepts and refuses, each under the Windows version the
// harness gives the prefix (WINE_RUN_VERSION; Windows 7 without it): on Windows 2000, XP,
// Vista and 7 the whole installation runs; a system of the Windows 9x family is refused
// with the system message box, before any window of the wizard's own.
#include "install_fixture.h"
#include "robot/robot.h"

#include <gtest/gtest.h>

#include <string>

using namespace e2e;

namespace {

struct System {
    const char *wineVersion; // Wine's name of the version
    DWORD platform, major, minor;
    bool accepted;
};

const System kSystems[] = {
    {"win2k", VER_PLATFORM_WIN32_NT, 5, 0, true},
    {"winxp", VER_PLATFORM_WIN32_NT, 5, 1, true},
    {"vista", VER_PLATFORM_WIN32_NT, 6, 0, true},
    {"win7", VER_PLATFORM_WIN32_NT, 6, 1, true},
    {"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, false},
};

class Systems : public InstallCase {
  protected:
    const System *system = nullptr;

    void SetUp() override {
        char value[32] = "win7";
        GetEnvironmentVariableA("WINE_RUN_VERSION", value, sizeof value);
        for (const System &candidate : kSystems)
            if (std::string(value) == candidate.wineVersion)
                system = &candidate;
        ASSERT_TRUE(system) << "no case for WINE_RUN_VERSION=" << value;
        // The prefix really reports that system, as the program will see it.
        OSVERSIONINFOA info = {sizeof info};
        ASSERT_TRUE(GetVersionExA(&info));
        ASSERT_EQ(info.dwPlatformId, system->platform) << "under " << value;
        ASSERT_EQ(info.dwMajorVersion, system->major) << "under " << value;
        ASSERT_EQ(info.dwMinorVersion, system->minor) << "under " << value;
        InstallCase::SetUp();
    }
};

TEST_F(Systems, TheProgramInstallsOnASupportedSystemAndRefusesAnyOther) {
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
    ASSERT_NO_FATAL_FAILURE(Start());
    if (!system->accepted) {
        ExpectPlatformRefused(wizard, 15000, [](HWND) {});
        ExpectNoPrinterOrDriverOfTheModel();
        ExpectDriverFiles({});
        return;
    }
    ASSERT_NO_FATAL_FAILURE(WalkToCopy());
    Sight sight = NextSight(wizard);
    ASSERT_EQ(sight.what, Shown::kFinish) << "saw " << Describe(sight);
    ASSERT_TRUE(robot::SetCheck(sight.window, robot::kFinishCheck, false));
    ASSERT_NO_FATAL_FAILURE(ExpectFinish(sight, kSucceeded));
    ASSERT_NO_FATAL_FAILURE(ExpectRegistered(kLaser, kEnvironment, "COM1:", kLaserFiles));
}

} // namespace
