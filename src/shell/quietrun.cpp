// The unattended installation: what the pages would ask is taken from the command line,
// and what they would show goes to the log. Every operation is the wizard's own, called
// in the wizard's order, with every check and refusal it has. Left out are the pauses
// that let a person read a status box (the spooler does its work within each call) and
// the writing steps' removal and second registration: the driver and printer are
// registered once. The unattended removal (/uninstall) starts here too.
#include "shell/quietrun.h"

#include "install/install.h"
#include "install/report.h"
#include "install/seam.h"
#include "install/tcpport.h"
#include "setupinfo/setupinfo.h"
#include "shell/cmdline.h"
#include "shell/log.h"
#include "shell/session.h"
#include "shell/singlerun.h"
#include "shell/systemdlls.h"

#include <lzexpand.h>
#include <stdio.h>
#include <string.h>

// The last line of every run: what happened, and the code the caller gets. A failed run
// leaves no network port it made.
static int Finish(int code, const char *outcome) {
    if (code != EXIT_INSTALLED)
        TakeBackTcpPort();
    LogLine("end", "%s; exit code %d", outcome, code);
    CloseLog();
    return code;
}

// Names the program, the system and the line, so a shared log tells its runs apart.
static void LogStart() {
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof computer;
    GetComputerNameA(computer, &size);
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    LogLine("start", "unattended %s for %s on %s, Windows %lu.%lu.%lu, log %s, command line: %s",
            g_arguments.check       ? "check of the setup folder"
            : g_arguments.uninstall ? "removal"
                                    : "installation",
            g_profile.environment, computer, version.dwMajorVersion, version.dwMinorVersion,
            version.dwBuildNumber, LogPath(), GetCommandLineA());
    LogLine("dlls", "%s", DllSearchDescription());
}

// The model page's Next, once the model's install data are read: an earlier printer of
// the model's name goes when a driver of that name is installed.
static void ClearModelPrinter() {
    if (LogDriverInstalled())
        DeleteModelPrinter();
}

// The copy page's work: every file of the list, a file asking for another try tried
// again (the engine bounds how often).
static int CopyAllFiles() {
    int copied = 1;
    StartCopyRun();
    LZStart();
    for (int index = 0; index < g_session.fileCount;) {
        int result = CopyOneFile(NULL, index);
        if (result == COPY_RETRY)
            continue;
        if (result != 1) {
            copied = 0;
            break;
        }
        g_session.copiedCount = ++index;
    }
    LZDone();
    LogLine("copy", "%d of %d files copied", g_session.copiedCount, g_session.fileCount);
    return copied;
}

// The default printer when asked, and the end of a run that leaves the model installed.
static int FinishInstalled(const char *outcome) {
    if (g_arguments.makeDefault && !MakeDefaultPrinter(g_session.modelName))
        return Finish(EXIT_INSTALL_FAILED, "the default printer cannot be set");
    return Finish(EXIT_INSTALLED, outcome);
}

// The model page's Next, the port page's Next, the copy page and the writing steps, each
// stopping the run when the wizard would end on its failure page. A machine that has the
// model installed as asked already is left as it is: deployment tools run the same line
// again at every boot or cycle, and a reinstallation would throw away the printer's
// settings (and, on Windows, leave a printer with queued jobs pending deletion).
static int Install(const char *model, const char *port) {
    strcpy(g_session.modelName, model);
    if (!LoadInstallDataFor(model))
        return Finish(EXIT_INSTALL_FAILED, "the model has nothing that can be installed");
    strcpy(g_session.portName, port);
    if (TcpPortStandsAsAsked() && IsAlreadyInstalled())
        return FinishInstalled("already installed; nothing changed");
    ClearModelPrinter();
    if (!RemoveBeforeCopy())
        return Finish(EXIT_INSTALL_FAILED,
                      "the earlier printer or driver of the model cannot be removed");
    if (!CopyAllFiles())
        return Finish(EXIT_INSTALL_FAILED, "a driver file cannot be copied");
    if (!MakeTcpPort())
        return Finish(EXIT_INSTALL_FAILED, "the Standard TCP/IP port cannot be made or set");

    // Registered once: the wizard's removal and second registration would only give a
    // printer something still holds open the chance to keep its driver in use.
    if (!RegisterDriverAndPrinter() || !CheckInstalled())
        return Finish(EXIT_INSTALL_FAILED, "the spooler did not take the driver or the printer");
    return FinishInstalled("installed");
}

// The removal: the model's install data name its files.
static int Uninstall(const char *model) {
    if (!LoadInstallDataFor(model))
        return Finish(EXIT_INSTALL_FAILED, "the model's files cannot be read from the INF");
    strcpy(g_session.modelName, model);
    LogLine("args", "remove model \"%s\"", model);
    char ports[TEXT_BUFFER_SIZE];
    ReadPrinterPorts(model, ports);
    int code = UninstallModel();
    if (!DeleteUnusedTcpPorts(ports) && (code == EXIT_INSTALLED || code == EXIT_RESTART_NEEDED))
        return Finish(EXIT_INSTALL_FAILED, "the printer's Standard TCP/IP port cannot be deleted");
    switch (code) {
    case EXIT_INSTALLED:
        return Finish(code, "removed");
    case EXIT_RESTART_NEEDED:
        return Finish(code, "removed; files in use go at the next restart");
    case EXIT_NOT_INSTALLED:
        return Finish(code,
                      "neither printer nor driver of the model is installed; nothing changed");
    default:
        return Finish(code, "the removal failed");
    }
}

// RunQuiet: nothing on the machine changes before the command line, the system, the
// model and the port have all been found right, and while another run is going.
int RunQuiet(int understood) {
    g_reporter = &g_silentReporter;
    SetErrorMode(SEM_FAILCRITICALERRORS);
    if (g_arguments.log[0] && !OpenLog(g_arguments.log))
        return EXIT_LOG_UNUSABLE;
    LogStart();
    if (!understood) {
        LogLine("args", "%s", g_arguments.error);
        return Finish(EXIT_BAD_COMMAND_LINE, "wrong command line");
    }
    if (g_arguments.help) {
        LogLine("args", "/? asks for the usage; nothing is installed");
        return Finish(0, "usage asked for");
    }
    if (g_arguments.check) {
        int problems = CheckSetupFolder();
        return Finish(problems ? EXIT_INSTALL_FAILED : EXIT_INSTALLED,
                      problems ? "the setup folder has problems; nothing was changed"
                               : "every model would install its files; nothing was changed");
    }
    if (!g_arguments.model[0]) {
        LogLine("args", "/quiet needs /model");
        return Finish(EXIT_BAD_COMMAND_LINE, "wrong command line");
    }
    if (!CheckPlatform())
        return Finish(EXIT_UNSUPPORTED_SYSTEM, "this system is not one the driver supports");
    // The spooler and the LZ library are called from here on.
    if (!LoadSystemDlls()) {
        LogLine("dlls", "%s cannot be loaded", MissingSystemDll());
        return Finish(EXIT_INSTALL_FAILED, "a system DLL cannot be loaded");
    }
    g_session.environment = g_profile.environment;
    // The default printer of LocalSystem is no person's: refused rather than set in vain.
    if (g_arguments.makeDefault && SeamRunsAsLocalSystem()) {
        LogLine("args", "/default in a run as LocalSystem would set that account's default "
                        "printer, which no person uses; set it in the person's own session");
        return Finish(EXIT_BAD_COMMAND_LINE, "wrong command line");
    }
    if (!EnterSingleRun())
        return Finish(EXIT_ANOTHER_RUN, "another installation is in progress; try again later");

    char model[TEXT_BUFFER_SIZE];
    if (!FindListedModel(g_arguments.model, model)) {
        LogLine("args", "model \"%s\" is not listed in %s", g_arguments.model, GetInfPath());
        return Finish(EXIT_BAD_COMMAND_LINE, "wrong command line");
    }
    if (!WaitForSpooler())
        return Finish(EXIT_INSTALL_FAILED, "the print spooler cannot be reached");
    if (g_arguments.uninstall)
        return Uninstall(model);
    char port[TEXT_BUFFER_SIZE];
    if (g_arguments.network.protocol) {
        if (!PrepareTcpPort(&g_arguments.network, model, port))
            return Finish(EXIT_INSTALL_FAILED,
                          "the Standard TCP/IP port cannot be made or used; nothing was changed");
    } else if (!FindListedPort(g_arguments.port, port)) {
        if (g_arguments.port[0])
            LogLine("args", "port \"%s\" is not listed by the spooler", g_arguments.port);
        else
            LogLine("args", "no infrared port and no COM1: to choose; name one with /port");
        return Finish(EXIT_BAD_COMMAND_LINE, "wrong command line");
    }
    LogLine("args", "model \"%s\", port %s%s", model, port,
            g_arguments.makeDefault ? ", as the default printer" : "");
    return Install(model, port);
}
