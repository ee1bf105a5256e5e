// The benchmark's driver, run under Wine in a fresh prefix: times the wizard driven from
// outside by the robot, a bare loop of the platform's LZ copy over the same files, and an
// empty windowed program's start as the platform's own share of a launch. Prints one
// "key=value" line per figure for bench/report.py.
//
//   drvbench.exe SETUP_FOLDER PROGRAM RUNS
//
// SETUP_FOLDER (a Windows path) holds the program, its J71.INF with one model and the
// files that model copies (bench/make_setup.py), and emptywin.exe. Everything is copied to
// C:\bench\setup first, so the wizard and the bare loop read the same files from the same
// drive.
#include "robot/robot.h"

#include <lzexpand.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <io.h>
#include <string>
#include <vector>

namespace {

const char kSetup[] = "C:\\bench\\setup";
const char kBareTarget[] = "C:\\bench\\bare\\";
const char kSuccess[] = "The Installation has done successfully.";
const char kModel[] = "Zelmox J71 Bench";
const char kPort[] = "LPT1:";

// ---- Time ----

double Seconds() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

// Pumps this thread's messages, then waits at most `ms` milliseconds for more (the robot's
// window-creation hook is delivered through them).
void Rest(DWORD ms) {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, NULL, FALSE, ms, QS_ALLINPUT);
}

// Polls `done` every `stepMs` until it holds or `timeoutMs` has passed; the time at which
// it was first seen to hold, or a negative value.
double WaitUntil(const std::function<bool()> &done, DWORD timeoutMs, DWORD stepMs) {
    double end = Seconds() + timeoutMs / 1000.0;
    for (;;) {
        if (done())
            return Seconds();
        if (Seconds() > end)
            return -1;
        Rest(stepMs);
    }
}

double Median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// ---- Files ----

// Names of the model's files, read from the setup information the way the wizard reads
// them (one CopyFiles value, comma-separated, optional leading at signs).
std::vector<std::string> CopyList() {
    std::string inf = std::string(kSetup) + "\\J71.INF";
    char value[1024] = "";
    GetPrivateProfileStringA("J71_BENCH", "CopyFiles", "", value, sizeof value, inf.c_str());
    std::vector<std::string> names;
    std::string text = value;
    size_t at = 0;
    while (at < text.size()) {
        size_t comma = text.find(',', at);
        std::string name =
            text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        if (!name.empty() && name[0] == '@')
            name.erase(0, 1);
        names.push_back(name);
        if (comma == std::string::npos)
            break;
        at = comma + 1;
    }
    return names;
}

// When a file last changed, metadata included (the platform's "change time"). The LZ library
// gives an expanded file its source's write time, and CopyFileA does the same, so the write
// times say nothing about when a file was made; setting them, however, moves the change time.
ULONGLONG ChangeTime(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    FILE_BASIC_INFO info = {};
    BOOL ok = GetFileInformationByHandleEx(file, FileBasicInfo, &info, sizeof info);
    CloseHandle(file);
    return ok ? (ULONGLONG)info.ChangeTime.QuadPart : 0;
}

// Seconds from the end of the first file's expansion to the end of the last one's, read from
// the change times of the expanded files (the LZ library sets their times as it closes
// them): the same yardstick for the wizard and the bare loop, free of any polling. It spans
// every file's whole turn but the first, the copies into "3" included. (The copies in "3"
// cannot serve: registering the driver copies its files there once more.)
double CopySpan(const std::string &directory, const std::vector<std::string> &names) {
    ULONGLONG first = ChangeTime(directory + names.front());
    ULONGLONG last = ChangeTime(directory + names.back());
    if (!first || !last || last < first)
        return -1;
    return (double)(last - first) / 1e7;
}

int CountPresent(const std::string &directory, const std::vector<std::string> &names) {
    int present = 0;
    for (const std::string &name : names)
        present += GetFileAttributesA((directory + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    return present;
}

void DeleteAll(const std::string &directory, const std::vector<std::string> &names) {
    for (const std::string &name : names) {
        DeleteFileA((directory + name).c_str());
        DeleteFileA((directory + "3\\" + name).c_str());
    }
}

// ---- The bare loop ----

// What the wizard's copy engine asks of the platform for each file, and nothing else: the
// existence test and deletion of both destinations, the LZ expansion into the directory
// and the plain copy into its subdirectory "3". Returns the loop's wall time, or a
// negative value when a file failed.
double BareLoop(const std::vector<std::string> &names) {
    std::string directory = kBareTarget;
    double start = Seconds();
    LZStart();
    for (const std::string &name : names) {
        std::string first = directory + name, second = directory + "3\\" + name;
        if (_access(first.c_str(), 0) == 0)
            _unlink(first.c_str());
        if (_access(second.c_str(), 0) == 0)
            _unlink(second.c_str());
        OFSTRUCT sourceRecord = {}, targetRecord = {};
        INT source = LZOpenFileA((LPSTR)name.c_str(), &sourceRecord, OF_READ);
        if (source < 0) {
            LZDone();
            return -1;
        }
        INT target = LZOpenFileA((LPSTR)first.c_str(), &targetRecord, OF_CREATE);
        if (target < 0) {
            LZClose(source);
            LZDone();
            return -1;
        }
        LONG written = CopyLZFile(source, target);
        LZClose(source);
        LZClose(target);
        CopyFileA(first.c_str(), second.c_str(), FALSE);
        if (written < 0) {
            LZDone();
            return -1;
        }
    }
    LZDone();
    return Seconds() - start;
}

// ---- The platform's own share of a launch ----

// From CreateProcess to the first visible window of an empty windowed program.
double EmptyLaunch() {
    robot::Wizard program;
    double start = Seconds();
    if (!robot::StartWizard(&program, kSetup, "emptywin.exe"))
        return -1;
    HWND window = NULL;
    double shown = WaitUntil(
        [&] {
            std::vector<HWND> windows = robot::TopWindows(program);
            window = windows.empty() ? NULL : windows.front();
            return window != NULL;
        },
        10000, 1);
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    robot::WaitForExit(&program, 5000);
    robot::StopWizard(&program);
    return shown < 0 ? -1 : shown - start;
}

// ---- One whole installation ----

struct Installation {
    bool ok = false;
    std::string failure;
    // Seconds from the launch until each was first seen.
    double welcome = -1, copyShown = -1, copyGone = -1, finish = -1;
    double copySpan = -1; // end of the first file to the end of the last
    SIZE_T peakWorkingSet = 0, peakPagefile = 0;
    int copied = 0, copiedInVersion = 0;
};

HWND FindPage(const robot::Wizard &wizard, int controlId) {
    return robot::FindWindowOf(wizard, "", controlId);
}

// Selects the entry `text` of list `listId` and presses Next.
bool ChooseAndGoOn(HWND page, int listId, const std::string &text) {
    std::vector<std::string> items = robot::ListItems(page, listId);
    auto found = std::find(items.begin(), items.end(), text);
    if (found == items.end())
        return false;
    return robot::ListSelect(page, listId, (int)(found - items.begin())) &&
           robot::Press(page, robot::kNext);
}

Installation Install(const std::vector<std::string> &names, const std::string &program) {
    Installation run;
    robot::Wizard wizard;
    std::string driverDirectory = robot::DriverDirectory() + "\\";
    DeleteAll(driverDirectory, names);

    double start = Seconds();
    if (!robot::StartWizard(&wizard, kSetup, program)) {
        run.failure = "cannot start " + program;
        return run;
    }
    auto fail = [&](const std::string &why) {
        run.failure = why;
        robot::StopWizard(&wizard);
        return run;
    };

    HWND page = NULL;
    double seen =
        WaitUntil([&] { return (page = FindPage(wizard, robot::kWelcomeText)); }, 20000, 1);
    if (seen < 0)
        return fail("no welcome page");
    run.welcome = seen - start;
    robot::Press(page, robot::kNext);

    if (WaitUntil([&] { return (page = FindPage(wizard, robot::kModelList)); }, 20000, 2) < 0)
        return fail("no model page");
    if (!ChooseAndGoOn(page, robot::kModelList, kModel))
        return fail(std::string("no model ") + kModel);

    if (WaitUntil([&] { return (page = FindPage(wizard, robot::kPortList)); }, 20000, 2) < 0)
        return fail("no port page");
    if (!ChooseAndGoOn(page, robot::kPortList, kPort))
        return fail(std::string("no port ") + kPort);

    double shown = WaitUntil([&] { return (page = FindPage(wizard, robot::kCopyBar)); }, 20000, 2);
    if (shown < 0)
        return fail("no copy page");
    // Slower polling while files are copied, so the robot takes little from the wizard.
    double gone = WaitUntil([&] { return !IsWindow(page) || !IsWindowVisible(page); }, 120000, 5);
    if (gone < 0)
        return fail("the copy page did not close");
    run.copyShown = shown - start;
    run.copyGone = gone - start;

    seen = WaitUntil([&] { return (page = FindPage(wizard, robot::kFinishText)); }, 30000, 2);
    if (seen < 0)
        return fail("no finish page");
    run.finish = seen - start;

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(wizard.process, &memory, sizeof memory)) {
        run.peakWorkingSet = memory.PeakWorkingSetSize;
        run.peakPagefile = memory.PeakPagefileUsage;
    }
    std::string outcome = robot::ControlText(page, robot::kFinishText);
    robot::SetCheck(page, robot::kFinishCheck, false);
    robot::Press(page, robot::kOk);
    if (robot::WaitForExit(&wizard, 10000) == STILL_ACTIVE)
        return fail("the wizard did not end");
    robot::StopWizard(&wizard);
    if (outcome != kSuccess)
        return fail("finish page says \"" + outcome + "\"");

    run.copySpan = CopySpan(driverDirectory, names);
    run.copied = CountPresent(driverDirectory, names);
    run.copiedInVersion = CountPresent(driverDirectory + "3\\", names);
    run.ok = true;
    return run;
}

void Print(const char *key, double value) {
    printf("%s=%.4f\n", key, value);
}

void PrintAll(const char *key, const std::vector<double> &values) {
    printf("%s=", key);
    for (size_t i = 0; i < values.size(); i++)
        printf("%s%.4f", i ? "," : "", values[i]);
    printf("\n");
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: drvbench SETUP_FOLDER PROGRAM RUNS\n");
        return 2;
    }
    std::string program = argv[2];
    int runs = std::max(1, atoi(argv[3]));
    if (!robot::MakeSetupFolder(kSetup, argv[1])) {
        fprintf(stderr, "drvbench: cannot copy %s to %s\n", argv[1], kSetup);
        return 1;
    }
    // The bare loop, like the wizard, opens its sources by bare name: from here.
    SetCurrentDirectoryA(kSetup);
    CreateDirectoryA("C:\\bench\\bare", NULL);
    CreateDirectoryA("C:\\bench\\bare\\3", NULL);

    std::vector<std::string> names = CopyList();
    printf("files=%d\n", (int)names.size());
    if (names.empty()) {
        fprintf(stderr, "drvbench: no CopyFiles in %s\\J71.INF\n", kSetup);
        return 1;
    }

    // A first pass of each brings files and code into memory; it is not counted.
    DeleteAll(kBareTarget, names);
    if (BareLoop(names) < 0) {
        fprintf(stderr, "drvbench: the bare loop failed\n");
        return 1;
    }
    EmptyLaunch();

    std::vector<double> empty, bare, bareSpan, welcome, pages, copyPage, copySpan, writing, finish;
    std::vector<double> peakWorkingSet, peakPagefile;
    for (int i = 0; i < runs; i++) {
        empty.push_back(EmptyLaunch());
        DeleteAll(kBareTarget, names);
        bare.push_back(BareLoop(names));
        bareSpan.push_back(CopySpan(kBareTarget, names));
        Installation run = Install(names, program);
        if (!run.ok) {
            fprintf(stderr, "drvbench: installation %d failed: %s\n", i + 1, run.failure.c_str());
            return 1;
        }
        if (run.copied != (int)names.size() || run.copiedInVersion != (int)names.size()) {
            fprintf(stderr, "drvbench: installation %d copied %d files and %d into \"3\"\n", i + 1,
                    run.copied, run.copiedInVersion);
            return 1;
        }
        welcome.push_back(run.welcome);
        pages.push_back(run.copyShown - run.welcome);
        copyPage.push_back(run.copyGone - run.copyShown);
        copySpan.push_back(run.copySpan);
        writing.push_back(run.finish - run.copyGone);
        finish.push_back(run.finish);
        peakWorkingSet.push_back((double)run.peakWorkingSet);
        peakPagefile.push_back((double)run.peakPagefile);
        fprintf(
            stderr,
            "drvbench: run %d of %d: welcome %.3f s, copy %.3f s (bare %.3f s), finish %.3f s\n",
            i + 1, runs, run.welcome, run.copySpan, bareSpan.back(), run.finish);
    }

    printf("runs=%d\n", runs);
    const std::pair<const char *, std::vector<double> *> series[] = {
        {"empty_launch", &empty}, {"bare_loop", &bare},  {"bare_span", &bareSpan},
        {"welcome", &welcome},    {"pages", &pages},     {"copy_page", &copyPage},
        {"copy_span", &copySpan}, {"writing", &writing}, {"finish", &finish},
    };
    for (const auto &one : series) {
        PrintAll((std::string(one.first) + "_all").c_str(), *one.second);
        Print(one.first, Median(*one.second));
    }
    Print("peak_working_set", *std::max_element(peakWorkingSet.begin(), peakWorkingSet.end()));
    Print("peak_pagefile", *std::max_element(peakPagefile.begin(), peakPagefile.end()));
    return 0;
}
