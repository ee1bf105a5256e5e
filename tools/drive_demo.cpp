// Headless demo driver: runs the wizard from a prepared setup folder through one whole
// installation, accepting what every page offers, and saves a picture of every page and
// message it meets as NN-name.bmp. Prints what it saw and what the spooler holds after.
//   drive_demo.exe SETUP_FOLDER PROGRAM.exe OUTPUT_FOLDER
// Exit code: 0 when the wizard reached its finish page and ended, 1 otherwise.
#include "robot/robot.h"

#include <cstdio>
#include <set>

using namespace robot;

namespace {

// What a top-level window of the wizard is, told by the controls it holds.
const char *KindOf(HWND window, int *statusSeen) {
    if (HasControl(window, kStatusText))
        return (*statusSeen)++ == 0 ? "reading" : "writing";
    if (HasControl(window, kWelcomeText))
        return "welcome";
    if (HasControl(window, kModelList))
        return "model";
    if (HasControl(window, kPortList))
        return "port";
    if (HasControl(window, kCopyBar))
        return "copy";
    if (HasControl(window, kMessageText))
        return "message";
    if (HasControl(window, kFinishText))
        return "finish";
    return "system-message";
}

// Pages the driver has first tried to leave the wrong way, to show the message each
// gives: Cancel on the welcome page (the question, answered No), Next on the model page
// with nothing selected (the warning).
HWND g_welcome, g_model;

// The button a person accepting every offer would press, or 0 to wait.
int ButtonFor(const std::string &kind, HWND window) {
    if (kind == "welcome") {
        g_welcome = window;
        return kCancel;
    }
    if (kind == "model") {
        g_model = window;
        ListSelect(window, kModelList, -1);
        return kNext;
    }
    if (kind == "port")
        return kNext;
    if (kind == "finish" || kind == "system-message")
        return kOk;
    if (kind == "message")
        return HasControl(window, kOk) ? kOk : HasControl(window, kRetry) ? kRetry : kNo;
    return 0;
}

// After the message a wrong way gave has closed, the page is left the right way.
void LeaveAfterMessage() {
    if (g_model) {
        ListSelect(g_model, kModelList, 0);
        Press(g_model, kNext);
        g_model = nullptr;
        g_welcome = nullptr;
    } else if (g_welcome) {
        Press(g_welcome, kNext);
        g_welcome = nullptr;
    }
}

// One line per window: its picture's name, caption and the text that matters on it.
void Describe(const Wizard &wizard, const std::string &name, HWND window, const std::string &kind) {
    std::string text;
    if (kind == "reading" || kind == "writing")
        text = ControlText(window, kStatusText);
    else if (kind == "message")
        text = ControlText(window, kMessageText);
    else if (kind == "finish")
        text = ControlText(window, kFinishText);
    else if (kind == "system-message") {
        MessageBoxInfo box;
        if (FindSystemMessageBox(wizard, &box) && box.window == window)
            text = box.text;
    }
    printf("%s  \"%s\"  %s\n", name.c_str(), TextOf(window).c_str(), text.c_str());
    fflush(stdout);
}

// Waits (up to 30 s) until the copy page is in its closing second: the file it names has
// its second copy in the version directory "3" and the name has not changed for 300 ms
// (files follow each other without a pause, so a name that stays is the last one).
void WaitForTheLastCopy(HWND copy) {
    std::string name;
    ULONGLONG stable = Now();
    for (ULONGLONG end = Now() + 30000; Now() < end && IsWindow(copy); Pump(10)) {
        std::string now = ControlText(copy, kCopyFile);
        if (now != name) {
            name = now;
            stable = Now();
            continue;
        }
        std::string copied = ControlText(copy, kCopyDirectory) + "3\\" + name;
        if (!name.empty() && Now() - stable >= 300 &&
            GetFileAttributesA(copied.c_str()) != INVALID_FILE_ATTRIBUTES)
            return;
    }
    fprintf(stderr, "the copy page never reached its last file\n");
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: drive_demo.exe SETUP_FOLDER PROGRAM.exe OUTPUT_FOLDER\n");
        return 2;
    }
    std::string folder = argv[1], program = argv[2], output = argv[3];
    CreateDirectoryA(output.c_str(), nullptr);

    Wizard wizard;
    if (!StartWizard(&wizard, folder, program)) {
        fprintf(stderr, "cannot start %s\\%s (error %lu)\n", folder.c_str(), program.c_str(),
                GetLastError());
        return 1;
    }

    std::set<HWND> seen;
    int pictures = 0, statusSeen = 0;
    bool finished = false;
    ULONGLONG deadline = Now() + 180000;
    while (IsRunning(wizard) && Now() < deadline) {
        for (HWND window : TopWindows(wizard)) {
            if (seen.count(window))
                continue;
            seen.insert(window);
            std::string kind = KindOf(window, &statusSeen);
            // Let it paint before the picture is taken; the copy page at its one fixed
            // moment, when the bar is full: the last file is done and the page waits a
            // second before it closes.
            if (kind == "copy") {
                WaitForTheLastCopy(window);
                Pump(200);
            } else {
                Pump(400);
            }
            char name[64];
            snprintf(name, sizeof name, "%02d-%s", ++pictures, kind.c_str());
            if (!SaveScreenshot(window, output + "\\" + name + ".bmp"))
                fprintf(stderr, "no picture of %s\n", name);
            Describe(wizard, name, window, kind);
            int button = ButtonFor(kind, window);
            if (button)
                Press(window, button);
            if (kind == "message" && WaitGone(window))
                LeaveAfterMessage();
            if (kind == "finish")
                finished = true;
        }
        Pump(20);
    }
    DWORD code = WaitForExit(&wizard, 5000);
    StopWizard(&wizard);
    printf("wizard ended with exit code %lu\n", code);

    for (const std::string &printer : Printers()) {
        PrinterState state = GetPrinterState(printer);
        printf("printer \"%s\": port %s, driver \"%s\", processor %s, data type %s, "
               "attributes 0x%lX\n",
               printer.c_str(), state.port.c_str(), state.driver.c_str(), state.processor.c_str(),
               state.datatype.c_str(), state.attributes);
    }
    for (const char *environment : {"Windows x64", "Windows NT x86"})
        for (const std::string &driver : DriverNames(environment))
            printf("driver \"%s\" for %s\n", driver.c_str(), environment);
    printf("default printer: \"%s\"\n", DefaultPrinter().c_str());
    return finished && code == 0 ? 0 : 1;
}
