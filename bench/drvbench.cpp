// The benchmark's driver, run under Wine in a fresh prefix: times the wizard driven from
// outside by the robot, its unattended installation, the same platform work done bare by
// barebench.exe, and two empty programs' starts as the platform's own share of a launch.
// Prints one "key=value,value,..." line per series (one value a run) for bench/report.py.
//
//   drvbench.exe SETUP_FOLDER PROGRAM RUNS [observers]
//   drvbench.exe SETUP_FOLDER PROGRAM RUNS launch OTHER
//
// The second form times only the launch to the welcome page, of PROGRAM and of OTHER (both
// in SETUP_FOLDER) side by side: RUNS rounds, each launching both, the order turning from
// round to round, so that the machine's drift falls on both alike.
//
// SETUP_FOLDER (a Windows path) holds the program, its J71.INF with one model and the
// files that model copies (bench/make_setup.py), emptywin.exe, emptyexit.exe and
// barebench.exe. Everything is copied to C:\bench\setup first: the wizard and the bare
// loop read the same files from the same drive, and both write them into the spooler's
// driver directory and its "3", each starting with the 200 files gone and the model's
// printer and driver removed.
//
// Nothing watches the wizard while it copies: it is started without any hook, and from
// the moment its copy page shows until its last file is in "3" this program only sleeps,
// looking for that file (one file-system query, no window or server request) every 250
// ms. With "observers" each run also copies once with nothing looking at all (a fixed
// sleep) and once under the robot's event hook with polling every 5 ms, so the table
// shows what watching costs.
#include "common.h"
#include "robot/robot.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

const char kSetup[] = "C:\\bench\\setup";
const char kBareResult[] = "C:\\bench\\bare.txt";
const char kQuietLog[] = "C:\\bench\\quiet.log";
const char kSuccess[] = "The Installation has done successfully.";
using bench::kModel;
const char kEnvironment[] = "Windows x64";
using bench::kPort;

// ---- Time ----

using bench::Seconds;

// Milliseconds since midnight on the local clock, the clock of the wizard's log lines.
double LocalMs() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return ((now.wHour * 60.0 + now.wMinute) * 60.0 + now.wSecond) * 1000.0 + now.wMilliseconds;
}

// Pumps this thread's messages, then waits at most `ms` milliseconds for more (the robot's
// event hook, when there is one, is delivered through them).
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

// ---- Files and the spooler ----

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
// them): the same yardstick for the wizard and the bare loop, taken after the fact. It spans
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

std::string DriverDirectory() {
    static std::string directory = robot::DriverDirectory() + "\\";
    return directory;
}

// Every measured run starts from the same state: no printer or driver of the model, none of
// its files in the driver directory or its "3".
void ClearInstallation(const std::vector<std::string> &names) {
    PRINTER_DEFAULTSA defaults = {NULL, NULL, PRINTER_ALL_ACCESS};
    HANDLE printer;
    if (OpenPrinterA((LPSTR)kModel, &printer, &defaults)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
    DeletePrinterDriverA(NULL, (LPSTR)kEnvironment, (LPSTR)kModel);
    for (const std::string &name : names) {
        DeleteFileA((DriverDirectory() + name).c_str());
        DeleteFileA((DriverDirectory() + "3\\" + name).c_str());
    }
}

// ---- Programs ----

// Starts `program` of the setup folder there, with nothing attached to it: no event hook,
// no debugger, no inherited handles.
bool Start(robot::Wizard *wizard, const std::string &program, const std::string &arguments) {
    std::string path = std::string(kSetup) + "\\" + program;
    std::string line = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(path.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, kSetup, &startup,
                        &info))
        return false;
    CloseHandle(info.hThread);
    wizard->process = info.hProcess;
    wizard->pid = info.dwProcessId;
    wizard->mainThread = info.dwThreadId;
    wizard->folder = kSetup;
    return true;
}

// Runs a program that needs no answer from start to end, waiting on its process alone.
// Its exit code (STILL_ACTIVE when it did not end within two minutes); `seconds` from
// CreateProcess until the wait saw it end.
DWORD RunToExit(const std::string &program, const std::string &arguments, double *seconds) {
    robot::Wizard run;
    double start = Seconds();
    if (!Start(&run, program, arguments))
        return STILL_ACTIVE;
    DWORD waited = WaitForSingleObject(run.process, 120000);
    *seconds = Seconds() - start;
    DWORD code = STILL_ACTIVE;
    if (waited == WAIT_OBJECT_0)
        GetExitCodeProcess(run.process, &code);
    robot::StopWizard(&run);
    return code;
}

// "key=value" lines of a small text file, by key.
std::map<std::string, std::string> ReadKeys(const std::string &path) {
    std::map<std::string, std::string> values;
    std::string text;
    if (!robot::ReadWholeFile(path, &text))
        return values;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? end : end - at);
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return values;
}

// ---- The platform's own share ----

// From CreateProcess to the first visible window of an empty windowed program.
double EmptyLaunch() {
    robot::Wizard program;
    double start = Seconds();
    if (!Start(&program, "emptywin.exe", ""))
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
    WaitForSingleObject(program.process, 5000);
    robot::StopWizard(&program);
    return shown < 0 ? -1 : shown - start;
}

// From CreateProcess to the end of an empty program that ends at once.
double EmptyExit() {
    double seconds = -1;
    return RunToExit("emptyexit.exe", "", &seconds) == 0 ? seconds : -1;
}

struct BareRun {
    bool ok = false;
    double loop = -1, driver = -1, printer = -1, work = -1; // as barebench timed them
    double process = -1;                                    // CreateProcess to its end
    double span = -1;     // change times of the expanded files, as for the wizard
    bool removed = false; // "uninstall": printer, driver and every file gone
};

BareRun RunBare(const std::vector<std::string> &names, const char *mode) {
    BareRun run;
    DeleteFileA(kBareResult);
    if (RunToExit("barebench.exe", std::string(mode) + " " + kBareResult, &run.process) != 0)
        return run;
    std::map<std::string, std::string> values = ReadKeys(kBareResult);
    if (!values.count("work"))
        return run;
    run.loop = atof(values["loop"].c_str());
    run.driver = atof(values["driver"].c_str());
    run.printer = atof(values["printer"].c_str());
    run.work = atof(values["work"].c_str());
    run.removed = CountPresent(DriverDirectory(), names) == 0 &&
                  CountPresent(DriverDirectory() + "3\\", names) == 0;
    if (strcmp(mode, "uninstall") == 0)
        return run;
    if (strcmp(mode, "read") == 0) {
        run.ok = true;
        return run;
    }
    run.span = CopySpan(DriverDirectory(), names);
    run.ok = CountPresent(DriverDirectory(), names) == (int)names.size() &&
             CountPresent(DriverDirectory() + "3\\", names) == (int)names.size();
    return run;
}

// ---- The wizard driven by the robot ----

// How the wizard is watched while it copies.
enum class Watch {
    Quiet,  // no hook; a look for its last file in "3" every 250 ms
    Blind,  // no hook; a fixed sleep, nothing looked at
    Hooked, // the robot's event hook on its process, and polling every 5 ms
};

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

// Waits, asleep but for a look every 250 ms, until `path` exists; false after the timeout.
bool SleepUntilFile(const std::string &path, DWORD timeoutMs) {
    for (DWORD slept = 0; slept < timeoutMs; slept += 250) {
        Sleep(250);
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
    }
    return false;
}

// The copy stage as `watch` watches it, from the copy page seen to the page gone (a
// negative value when a blind sleep outlasted the page).
double WatchCopying(HWND page, const std::vector<std::string> &names, Watch watch, DWORD blindMs) {
    auto gone = [&] { return !IsWindow(page) || !IsWindowVisible(page); };
    if (watch == Watch::Hooked)
        return WaitUntil(gone, 120000, 5);
    if (watch == Watch::Blind) {
        Sleep(blindMs);
        if (gone())
            return -1;
    } else if (!SleepUntilFile(DriverDirectory() + "3\\" + names.back(), 120000)) {
        return -1;
    }
    // The page closes a second after the last file: there is time to see it go.
    return WaitUntil(gone, 120000, 2);
}

Installation Install(const std::vector<std::string> &names, const std::string &program, Watch watch,
                     DWORD blindMs) {
    Installation run;
    robot::Wizard wizard;
    double start = Seconds();
    bool started = watch == Watch::Hooked ? robot::StartWizard(&wizard, kSetup, program)
                                          : Start(&wizard, program, "");
    if (!started) {
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

    // The page's first file starts 100 ms after it shows: the robot is asleep by then.
    double shown = WaitUntil([&] { return (page = FindPage(wizard, robot::kCopyBar)); }, 20000, 2);
    if (shown < 0)
        return fail("no copy page");
    run.copyShown = shown - start;
    double gone = WatchCopying(page, names, watch, blindMs);
    if (gone >= 0)
        run.copyGone = gone - start;
    else if (watch != Watch::Blind)
        return fail("the copy page did not close");

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
    if (WaitForSingleObject(wizard.process, 10000) != WAIT_OBJECT_0)
        return fail("the wizard did not end");
    robot::StopWizard(&wizard);
    if (outcome != kSuccess)
        return fail("finish page says \"" + outcome + "\"");

    run.copySpan = CopySpan(DriverDirectory(), names);
    run.copied = CountPresent(DriverDirectory(), names);
    run.copiedInVersion = CountPresent(DriverDirectory() + "3\\", names);
    run.ok = run.copied == (int)names.size() && run.copiedInVersion == (int)names.size();
    if (!run.ok)
        run.failure = "files missing after the installation";
    return run;
}

// ---- The unattended installation ----

std::string QuietArguments(bool logged) {
    std::string arguments = std::string("/quiet /model \"") + kModel + "\" /port " + kPort;
    return logged ? arguments + " /log " + kQuietLog : arguments;
}

// One quiet installation, process start to exit; a negative value when it failed.
double QuietInstall(const std::vector<std::string> &names, const std::string &program) {
    double seconds = -1;
    DWORD code = RunToExit(program, QuietArguments(false), &seconds);
    if (code != 0 || CountPresent(DriverDirectory(), names) != (int)names.size()) {
        fprintf(stderr, "drvbench: the quiet installation ended with %lu\n", (unsigned long)code);
        return -1;
    }
    return seconds;
}

// Where a quiet installation's time goes, read from its log: each step ends at the last
// line it writes, and the log's clock is the local time in milliseconds.
struct LogLine {
    double ms;
    std::string step, text;
};

std::vector<LogLine> ReadLog(const std::string &path) {
    std::vector<LogLine> lines;
    std::string text;
    if (!robot::ReadWholeFile(path, &text))
        return lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        std::string line = text.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? text.size() : end + 2;
        unsigned year, month, day, hour, minute, second, milli;
        char step[16] = "";
        int used = 0;
        if (sscanf(line.c_str(), "%u-%u-%u %u:%u:%u.%u %15s %n", &year, &month, &day, &hour,
                   &minute, &second, &milli, step, &used) < 8)
            continue;
        double ms = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + milli;
        lines.push_back({ms, step, line.substr(used)});
    }
    return lines;
}

// Seconds of each step of a logged quiet installation, by name; empty when it failed.
std::map<std::string, double> QuietSteps(const std::vector<std::string> &names,
                                         const std::string &program) {
    std::map<std::string, double> steps;
    DeleteFileA(kQuietLog);
    double seconds = -1;
    double launched = LocalMs();
    if (RunToExit(program, QuietArguments(true), &seconds) != 0)
        return steps;
    double ended = launched + seconds * 1000;
    std::vector<LogLine> lines = ReadLog(kQuietLog);
    if (lines.empty() || CountPresent(DriverDirectory(), names) != (int)names.size())
        return steps;

    // Boundaries: the last line before the first file, the copy's summary, the one
    // registration's two lines, the check, the end.
    auto find = [&](size_t from, const std::function<bool(const LogLine &)> &is) {
        for (size_t i = from; i < lines.size(); i++)
            if (is(lines[i]))
                return i;
        return lines.size();
    };
    auto contains = [](const LogLine &line, const char *step, const char *text) {
        return line.step == step && line.text.find(text) != std::string::npos;
    };
    size_t firstCopy = find(0, [](const LogLine &l) { return l.step == "copy"; });
    size_t copied =
        find(firstCopy, [&](const LogLine &l) { return contains(l, "copy", "files copied"); });
    size_t driver =
        find(copied, [&](const LogLine &l) { return contains(l, "register", "AddPrinterDriver"); });
    size_t printer = find(
        driver + 1, [&](const LogLine &l) { return contains(l, "register", "AddPrinter \""); });
    size_t end = find(printer + 1, [](const LogLine &l) { return l.step == "end"; });
    if (firstCopy == 0 || end >= lines.size())
        return steps;
    auto span = [&](size_t from, size_t to) { return (lines[to].ms - lines[from].ms) / 1000; };
    steps["start"] = (lines[0].ms - launched) / 1000;
    steps["prepare"] = span(0, firstCopy - 1);
    steps["copy"] = span(firstCopy - 1, copied);
    steps["driver"] = span(copied, driver);
    steps["printer"] = span(driver, printer);
    steps["check"] = span(printer, end);
    steps["exit"] = (ended - lines[end].ms) / 1000;
    steps["total"] = seconds;
    return steps;
}

// One unattended removal of what is installed, process start to exit; a negative value
// when it failed or left a file behind.
double QuietUninstall(const std::vector<std::string> &names, const std::string &program) {
    double seconds = -1;
    DWORD code =
        RunToExit(program, std::string("/quiet /uninstall /model \"") + kModel + "\"", &seconds);
    if (code != 0 || CountPresent(DriverDirectory(), names) != 0 ||
        CountPresent(DriverDirectory() + "3\\", names) != 0) {
        fprintf(stderr, "drvbench: the quiet removal ended with %lu\n", (unsigned long)code);
        return -1;
    }
    return seconds;
}

// ---- Output ----

void PrintAll(const std::string &key, const std::vector<double> &values) {
    printf("%s=", key.c_str());
    for (size_t i = 0; i < values.size(); i++)
        printf("%s%.4f", i ? "," : "", values[i]);
    printf("\n");
}

// From CreateProcess to the welcome page visible; the program is ended there. Negative when
// no welcome page came.
double LaunchToWelcome(const std::string &program) {
    robot::Wizard wizard;
    double start = Seconds();
    if (!Start(&wizard, program, ""))
        return -1;
    double seen =
        WaitUntil([&] { return FindPage(wizard, robot::kWelcomeText) != NULL; }, 20000, 1);
    robot::StopWizard(&wizard);
    return seen < 0 ? -1 : seen - start;
}

int Fail(const char *what, int run, const std::string &why) {
    fprintf(stderr, "drvbench: %s %d failed: %s\n", what, run, why.c_str());
    return 1;
}

} // namespace

// Both programs' launches, alternating, one pair a round.
int LaunchSideBySide(const std::string &program, const std::string &other, int rounds) {
    std::map<std::string, std::vector<double>> series;
    LaunchToWelcome(program);
    LaunchToWelcome(other);
    for (int i = 0; i < rounds; i++) {
        const std::string order[2] = {i % 2 ? other : program, i % 2 ? program : other};
        for (const std::string &one : order) {
            double seconds = LaunchToWelcome(one);
            if (seconds < 0)
                return Fail("launch round", i + 1, "no welcome page of " + one);
            series[one == program ? "launch_program" : "launch_other"].push_back(seconds);
        }
        series["launch_difference"].push_back(series["launch_other"].back() -
                                              series["launch_program"].back());
        fprintf(stderr, "drvbench: round %d of %d: %s %.3f s, %s %.3f s\n", i + 1, rounds,
                program.c_str(), series["launch_program"].back(), other.c_str(),
                series["launch_other"].back());
    }
    for (const auto &one : series)
        PrintAll(one.first, one.second);
    return 0;
}

int main(int argc, char **argv) {
    if (argc == 6 && std::string(argv[4]) == "launch") {
        if (!robot::MakeSetupFolder(kSetup, argv[1]))
            return 1;
        return LaunchSideBySide(argv[2], argv[5], std::max(1, atoi(argv[3])));
    }
    if (argc != 4 && !(argc == 5 && std::string(argv[4]) == "observers")) {
        fprintf(stderr, "usage: drvbench SETUP_FOLDER PROGRAM RUNS [observers]\n");
        return 2;
    }
    std::string program = argv[2];
    int runs = std::max(1, atoi(argv[3]));
    bool observers = argc == 5;
    if (!robot::MakeSetupFolder(kSetup, argv[1])) {
        fprintf(stderr, "drvbench: cannot copy %s to %s\n", argv[1], kSetup);
        return 1;
    }
    std::vector<std::string> names = CopyList();
    printf("files=%d\n", (int)names.size());
    if (names.empty()) {
        fprintf(stderr, "drvbench: no CopyFiles in %s\\J71.INF\n", kSetup);
        return 1;
    }

    // A first pass of each brings files and code into memory; it is not counted.
    ClearInstallation(names);
    BareRun warm = RunBare(names, "copy");
    if (!warm.ok) {
        fprintf(stderr, "drvbench: the bare loop failed\n");
        return 1;
    }
    // A blind sleep long enough for four times the bare loop, after the page's 100 ms.
    DWORD blindMs = 100 + (DWORD)(4000 * warm.work) + 200;
    EmptyLaunch();
    EmptyExit();
    ClearInstallation(names);
    if (QuietInstall(names, program) < 0)
        return 1;

    std::map<std::string, std::vector<double>> series;
    auto last = [&](const char *key) { return series[key].empty() ? -1.0 : series[key].back(); };
    std::string failure;
    auto failed = [&](const std::string &what) {
        failure = what;
        return false;
    };
    // The bare measures, each from the same state as the wizard's.
    auto bareCopy = [&] {
        ClearInstallation(names);
        BareRun bare = RunBare(names, "copy");
        if (!bare.ok)
            return failed("the bare loop: a file failed");
        series["bare_loop"].push_back(bare.loop);
        series["bare_span"].push_back(bare.span);
        return true;
    };
    auto bareInstall = [&] {
        ClearInstallation(names);
        BareRun bare = RunBare(names, "install");
        double empty = EmptyExit();
        if (!bare.ok || empty < 0)
            return failed("the bare installation: the spooler refused or a file failed");
        series["bare_install_loop"].push_back(bare.loop);
        series["bare_install_driver"].push_back(bare.driver);
        series["bare_install_printer"].push_back(bare.printer);
        series["bare_install_work"].push_back(bare.work);
        series["bare_install_process"].push_back(bare.process);
        series["empty_exit"].push_back(empty);
        series["bare_install_sum"].push_back(bare.work + empty);
        return true;
    };
    // The bare reading of an installation: every setup file as it expands and its copy.
    auto bareRead = [&] {
        BareRun bare = RunBare(names, "read");
        double empty = EmptyExit();
        if (!bare.ok || empty < 0)
            return failed("the bare reading: a file is missing or differs");
        series["bare_read_work"].push_back(bare.work);
        series["bare_read_sum"].push_back(bare.work + empty);
        return true;
    };
    auto bareUninstall = [&] {
        ClearInstallation(names);
        if (!RunBare(names, "install").ok)
            return failed("the bare installation before a bare removal");
        BareRun bare = RunBare(names, "uninstall");
        double empty = EmptyExit();
        if (!bare.removed || empty < 0)
            return failed("the bare removal: the spooler refused or a file stayed");
        series["bare_uninstall_printer"].push_back(bare.printer);
        series["bare_uninstall_driver"].push_back(bare.driver);
        series["bare_uninstall_files"].push_back(bare.loop);
        series["bare_uninstall_work"].push_back(bare.work);
        series["bare_uninstall_sum"].push_back(bare.work + empty);
        return true;
    };
    // The wizard's measures: each its span, keyed by watch.
    auto install = [&](Watch watch, const char *key) {
        ClearInstallation(names);
        Installation run = Install(names, program, watch, blindMs);
        if (!run.ok)
            return failed(std::string(key) + ": " + run.failure);
        series[key].push_back(run.copySpan);
        if (watch != Watch::Quiet)
            return true;
        series["welcome"].push_back(run.welcome);
        series["pages"].push_back(run.copyShown - run.welcome);
        series["copy_page"].push_back(run.copyGone - run.copyShown);
        series["writing"].push_back(run.finish - run.copyGone);
        series["finish"].push_back(run.finish);
        series["peak_working_set"].push_back((double)run.peakWorkingSet);
        series["peak_pagefile"].push_back((double)run.peakPagefile);
        return true;
    };
    // `ratio` of the newest of `key` to the mean of the two newest of `reference`: the
    // measures just before and just after it.
    auto bracketed = [&](const char *key, const char *reference, const char *ratio) {
        const std::vector<double> &around = series[reference];
        double mean = (around[around.size() - 1] + around[around.size() - 2]) / 2;
        series[ratio].push_back(last(key) / mean);
    };

    for (int i = 0; i < runs; i++) {
        ClearInstallation(names);
        series["empty_launch"].push_back(EmptyLaunch());

        // The machine's pace drifts within seconds, and a measure depends on what ran just
        // before it (files written and deleted). So each of the wizard's copy stages lies
        // between two bare loops and is compared with their mean, and the order of the
        // wizard's stages turns by one from run to run.
        struct Stage {
            Watch watch;
            const char *span, *ratio;
        };
        std::vector<Stage> watches = {{Watch::Quiet, "copy_span", "copy_ratio"}};
        if (observers) {
            watches.push_back({Watch::Blind, "blind_span", "blind_ratio"});
            watches.push_back({Watch::Hooked, "hooked_span", "hooked_ratio"});
        }
        std::rotate(watches.begin(), watches.begin() + i % watches.size(), watches.end());
        if (!bareCopy())
            return Fail("run", i + 1, failure);
        for (const Stage &stage : watches) {
            if (!install(stage.watch, stage.span) || !bareCopy())
                return Fail("run", i + 1, failure);
            bracketed(stage.span, "bare_span", stage.ratio);
        }

        // Likewise the quiet installation, between two bare runs and empty programs, from
        // the state the bare run starts from: nothing of the model installed.
        double quiet = -1;
        auto quietFromNothing = [&] {
            ClearInstallation(names);
            return quiet = QuietInstall(names, program);
        };
        if (!bareInstall() || quietFromNothing() < 0 || !bareInstall())
            return Fail("run", i + 1, failure.empty() ? "the quiet installation" : failure);
        series["quiet"].push_back(quiet);
        bracketed("quiet", "bare_install_sum", "quiet_ratio");

        // A second run of the same line over the installation the bare run left (the same
        // printer, driver and files): between two bare readings and empty programs.
        double again = -1;
        if (!bareRead() || (again = QuietInstall(names, program)) < 0 || !bareRead())
            return Fail("run", i + 1, failure.empty() ? "the second quiet run" : failure);
        series["quiet_again"].push_back(again);
        bracketed("quiet_again", "bare_read_sum", "quiet_again_ratio");

        // The unattended removal between two bare removals, each of a bare installation.
        double removal = -1;
        if (!bareUninstall() || !RunBare(names, "install").ok ||
            (removal = QuietUninstall(names, program)) < 0 || !bareUninstall())
            return Fail("run", i + 1, failure.empty() ? "the quiet removal" : failure);
        series["quiet_uninstall"].push_back(removal);
        bracketed("quiet_uninstall", "bare_uninstall_sum", "quiet_uninstall_ratio");

        ClearInstallation(names);
        std::map<std::string, double> steps = QuietSteps(names, program);
        if (steps.empty())
            return Fail("logged quiet installation", i + 1, "no complete log");
        for (const auto &step : steps)
            series["quiet_log_" + step.first].push_back(step.second);

        fprintf(stderr, "drvbench: run %d of %d: copy %.3f s (bare %.3f s", i + 1, runs,
                last("copy_span"), last("bare_span"));
        if (observers)
            fprintf(stderr, ", blind %.3f s, hooked %.3f s", last("blind_span"),
                    last("hooked_span"));
        fprintf(stderr,
                "), quiet %.3f s (bare work %.3f s + empty %.3f s), again %.3f s (bare read "
                "%.3f s), removal %.3f s (bare work %.3f s)\n",
                last("quiet"), last("bare_install_work"), last("empty_exit"), last("quiet_again"),
                last("bare_read_work"), last("quiet_uninstall"), last("bare_uninstall_work"));
    }
    ClearInstallation(names);

    printf("runs=%d\n", runs);
    for (const auto &one : series)
        PrintAll(one.first, one.second);
    return 0;
}
