// The copy page run for real: its template, timers and copy runs, files copied into
// the spooler's own driver directory, the bar read back pixel by pixel, and the cancel
// question and error messages answered from a second thread.
#include <gtest/gtest.h>

#include "install/install.h"
#include "res/resource.h"
#include "shell/session.h"
#include "ui/pages.h"
#include "win/dialog_driver.h"
#include "win/session_fixture.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace fixture;

const COLORREF NAVY = RGB(0, 0, 128);
const COLORREF WHITE = RGB(255, 255, 255);
const COLORREF BLACK = RGB(0, 0, 0);

const char QUESTION[] = "Are you sure you want to cancel TQL driver installation?";

// What the bar shows: where its navy part ends on the top row, whether the rest of that
// row is white, and in which colours the text is drawn over each part.
struct Bar {
    int width = -1;
    int split = -1;
    bool restWhite = false;
    bool whiteOverNavy = false;
    bool blackOverWhite = false;
};

Bar ReadBar(HWND page) {
    Bar bar;
    HWND control = GetDlgItem(page, IDC_COPY_BAR);
    RECT client;
    if (!control || !GetClientRect(control, &client))
        return bar;
    HDC dc = GetDC(control);
    bar.width = client.right;
    int x = 0;
    while (x < client.right && GetPixel(dc, x, 0) == NAVY)
        x++;
    bar.split = x;
    bar.restWhite = true;
    for (int rest = x; rest < client.right; rest++)
        bar.restWhite = bar.restWhite && GetPixel(dc, rest, 0) == WHITE;
    for (int y = 1; y < client.bottom - 1; y++)
        for (int column = 0; column < client.right; column++) {
            COLORREF pixel = GetPixel(dc, column, y);
            if (column < x && pixel == WHITE)
                bar.whiteOverNavy = true;
            if (column >= x && pixel == BLACK)
                bar.blackOverWhite = true;
        }
    ReleaseDC(control, dc);
    return bar;
}

// Filled width of a bar at p percent: p * width / 100, cut.
int SplitAt(int percent, int width) {
    return percent * width / 100;
}

// A message dialog as the answering thread saw it.
struct Message {
    std::string text;
    HWND owner;
    Bar bar;            // the page's bar while the dialog was open
    bool nothingCopied; // no file in the driver directory while it was open
};

// What the hooks on the page's thread record and do during one run of the page.
struct PageRun {
    HWND page = NULL;
    int cancelAtFile = -1;       // post Cancel as this file's name is shown
    bool cancelAtStart = false;  // post Cancel as the page opens
    bool cancelWhenDone = false; // post Cancel when the run reports every file copied
    bool cancelPosted = false;
    std::vector<Bar> barBeforeFile; // index: file about to be copied
    std::vector<Bar> barWhenDone;
    ULONGLONG doneTick = 0;
};

PageRun *g_run;
HHOOK g_sentHook, g_postedHook;

void PostCancel() {
    if (g_run->cancelPosted)
        return;
    g_run->cancelPosted = true;
    PostMessageA(g_run->page, WM_COMMAND, IDCANCEL, (LPARAM)GetDlgItem(g_run->page, IDCANCEL));
}

// Sent messages: the page opening, and each file's name set before it is copied.
LRESULT CALLBACK WatchSent(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT *sent = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && g_run) {
        if (sent->message == WM_INITDIALOG && GetDlgItem(sent->hwnd, IDC_COPY_BAR)) {
            g_run->page = sent->hwnd;
            if (g_run->cancelAtStart)
                PostCancel();
        }
        if (sent->message == WM_SETTEXT && g_run->page &&
            sent->hwnd == GetDlgItem(g_run->page, IDC_COPY_FILE)) {
            size_t index = (size_t)g_session.copiedCount;
            if (g_run->barBeforeFile.size() <= index)
                g_run->barBeforeFile.resize(index + 1);
            g_run->barBeforeFile[index] = ReadBar(g_run->page);
            if ((int)index == g_run->cancelAtFile)
                PostCancel();
        }
    }
    return CallNextHookEx(g_sentHook, code, wParam, lParam);
}

// Posted messages: the run's report that every file is copied.
LRESULT CALLBACK WatchPosted(int code, WPARAM wParam, LPARAM lParam) {
    const MSG *posted = (const MSG *)lParam;
    if (code == HC_ACTION && wParam == PM_REMOVE && g_run && posted->hwnd == g_run->page &&
        posted->message == WM_COMMAND && posted->wParam == IDOK) {
        g_run->doneTick = GetTickCount64();
        g_run->barWhenDone.push_back(ReadBar(g_run->page));
        if (g_run->cancelWhenDone)
            PostCancel();
    }
    return CallNextHookEx(g_postedHook, code, wParam, lParam);
}

// How the page's dialogs are answered from a second thread: the cancel question with
// `answer`, every error message with OK after `onError`; and what each one showed.
struct Answerer {
    int answer;
    DWORD questionDelay;
    std::function<void(const std::string &)> onError;
    std::function<bool()> nothingCopied;
    std::vector<Message> seen;
};

void AnswerDialog(Answerer *answerer, HWND dialog) {
    Message seen;
    seen.text = drive::ControlText(dialog, IDC_MSG_TEXT);
    seen.owner = GetWindow(dialog, GW_OWNER);
    bool question = seen.text == QUESTION;
    if (question && answerer->questionDelay)
        Sleep(answerer->questionDelay);
    Sleep(50); // let the dialog go idle, so the page has repainted its bar
    seen.bar = ReadBar(seen.owner);
    seen.nothingCopied = answerer->nothingCopied();
    answerer->seen.push_back(seen);
    if (!question && answerer->onError)
        answerer->onError(seen.text);
    drive::Press(dialog, question ? answerer->answer : IDOK);
}

const char *const kFiles[] = {"COPYA.DLL", "COPYB.DLL", "COPYC.DLL"};

// A setup folder holding three driver files (the middle one compressed), the spooler's
// real driver directory, a fresh session and a hidden owner like the wizard's.
class CopyPageTest : public ::testing::Test {
  protected:
    std::string setup, drivers;
    HWND owner = NULL;
    PageRun run;
    char previousDirectory[MAX_PATH] = "";

    void SetUp() override {
        g_instance = GetModuleHandleA(NULL);
        setup = fixture::TempFolderName("copypage");
        ASSERT_TRUE(CreateDirectoryA(setup.c_str(), NULL));
        ASSERT_TRUE(fixture::EnterDirectory(setup, previousDirectory));
        WriteBytes(setup + "\\" + kFiles[0], ReadBytes(DataPath("plain.bin")));
        WriteBytes(setup + "\\" + kFiles[1], ReadBytes(DataPath("packed.sz")));
        WriteBytes(setup + "\\" + kFiles[2], ReadBytes(DataPath("plain.bin")));

        char directory[1024] = "";
        DWORD needed = 0;
        ASSERT_TRUE(GetPrinterDriverDirectoryA(NULL, NULL, 1, (LPBYTE)directory,
                                               sizeof directory - 1, &needed));
        drivers = directory;
        CreateDirectoryA((drivers + "\\3").c_str(), NULL);
        RemoveCopies();

        fixture::FreshSession();
        snprintf(g_session.setupFolder, sizeof g_session.setupFolder, "%s\\", setup.c_str());
        snprintf(g_session.driverDirectory, sizeof g_session.driverDirectory, "%s\\",
                 drivers.c_str());
        SetCopyList({kFiles[0], kFiles[1], kFiles[2]});
        SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);

        RECT desktop;
        GetWindowRect(GetDesktopWindow(), &desktop);
        owner = CreateWindowA("STATIC", "owner", WS_POPUP, desktop.left, desktop.top, desktop.right,
                              desktop.bottom, NULL, NULL, g_instance, NULL);
        g_run = &run;
        g_sentHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchSent, NULL, GetCurrentThreadId());
        g_postedHook = SetWindowsHookExA(WH_GETMESSAGE, WatchPosted, NULL, GetCurrentThreadId());
    }

    void TearDown() override {
        UnhookWindowsHookEx(g_sentHook);
        UnhookWindowsHookEx(g_postedHook);
        g_run = NULL;
        DestroyWindow(owner);
        SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
        RemoveCopies();
        for (const char *name : kFiles)
            DeleteFileA((setup + "\\" + name).c_str());
        SetCurrentDirectoryA(previousDirectory);
        RemoveDirectoryA(setup.c_str());
    }

    void RemoveCopies() {
        for (const char *name : kFiles) {
            DeleteFileA(Copy(name).c_str());
            DeleteFileA(VersionCopy(name).c_str());
        }
    }

    std::string Copy(const char *name) {
        return drivers + "\\" + name;
    }

    std::string VersionCopy(const char *name) {
        return drivers + "\\3\\" + name;
    }

    // Runs the page to its end while a second thread answers its dialogs.
    int RunPage(Answerer *answerer) {
        std::string first = Copy(kFiles[0]);
        if (!answerer->nothingCopied)
            answerer->nothingCopied = [first] { return !Exists(first); };
        HWND owner = this->owner;
        ULONGLONG ended = 0;
        int result = (int)drive::WhileAnswering(
            [owner, &ended] {
                int result = RunCopyPage(owner);
                ended = GetTickCount64();
                return (INT_PTR)result;
            },
            IDC_MSG_TEXT, [answerer](HWND dialog) { AnswerDialog(answerer, dialog); });
        if (run.doneTick)
            closeDelay = ended - run.doneTick;
        return result;
    }

    Answerer MakeAnswerer(int answer = IDNO) {
        Answerer answerer;
        answerer.answer = answer;
        answerer.questionDelay = 0;
        return answerer;
    }

    int Questions(const Answerer &answerer) {
        int count = 0;
        for (const Message &message : answerer.seen)
            count += message.text == QUESTION;
        return count;
    }

    void ExpectCopied(const char *name, bool copied) {
        EXPECT_EQ(copied, Exists(Copy(name))) << name;
        EXPECT_EQ(copied, Exists(VersionCopy(name))) << name;
    }

    ULONGLONG closeDelay = 0;
};

TEST_F(CopyPageTest, ThreeFilesReadThirtyThreeSixtySevenAndAHundred) {
    Answerer answerer = MakeAnswerer();
    EXPECT_EQ(1, RunPage(&answerer));
    EXPECT_TRUE(answerer.seen.empty());
    EXPECT_EQ(3, g_session.copiedCount);

    ASSERT_EQ(3u, run.barBeforeFile.size());
    const Bar &one = run.barBeforeFile[1], &two = run.barBeforeFile[2];
    ASSERT_GT(one.width, 100);
    EXPECT_EQ(SplitAt(33, one.width), one.split);
    EXPECT_TRUE(one.restWhite);
    EXPECT_TRUE(one.blackOverWhite); // "33 %" lies over the white part
    EXPECT_EQ(SplitAt(67, two.width), two.split);
    EXPECT_TRUE(two.restWhite);
    EXPECT_TRUE(two.whiteOverNavy); // "67 %" lies over the navy part
    ASSERT_EQ(1u, run.barWhenDone.size());
    EXPECT_EQ(run.barWhenDone[0].width, run.barWhenDone[0].split);
    EXPECT_TRUE(run.barWhenDone[0].whiteOverNavy);
    EXPECT_FALSE(run.barWhenDone[0].blackOverWhite);

    // The page closes a second after the last file.
    EXPECT_GE(closeDelay, 990u);
    const std::string plain = ReadBytes(DataPath("plain.bin"));
    const std::string packed = ReadBytes(DataPath("packed.bin"));
    EXPECT_TRUE(plain == ReadBytes(Copy(kFiles[0])));
    EXPECT_TRUE(packed == ReadBytes(Copy(kFiles[1])));
    EXPECT_TRUE(packed == ReadBytes(VersionCopy(kFiles[1])));
    EXPECT_TRUE(plain == ReadBytes(VersionCopy(kFiles[2])));
}

TEST_F(CopyPageTest, CancelAnsweredNoGoesOnAndEndsWithOne) {
    run.cancelAtFile = 1;
    Answerer answerer = MakeAnswerer(IDNO);
    EXPECT_EQ(1, RunPage(&answerer));
    ASSERT_EQ(1u, answerer.seen.size());
    EXPECT_EQ(QUESTION, answerer.seen[0].text);
    // The file being copied when Cancel came was finished first; the question's idle
    // time brought the bar back.
    EXPECT_EQ(SplitAt(67, answerer.seen[0].bar.width), answerer.seen[0].bar.split);
    EXPECT_EQ(3, g_session.copiedCount);
    EXPECT_EQ(0, g_session.cancelRequested);
    for (const char *name : kFiles)
        ExpectCopied(name, true);
}

TEST_F(CopyPageTest, CancelAnsweredYesStopsAfterTheCurrentFileAndKeepsIt) {
    run.cancelAtFile = 1;
    Answerer answerer = MakeAnswerer(IDYES);
    EXPECT_EQ(2, RunPage(&answerer));
    EXPECT_EQ(1, Questions(answerer));
    EXPECT_EQ(1u, answerer.seen.size());
    EXPECT_EQ(2, g_session.copiedCount);
    EXPECT_EQ(1, g_session.cancelRequested);
    ExpectCopied(kFiles[0], true);
    ExpectCopied(kFiles[1], true);
    ExpectCopied(kFiles[2], false);
}

// The start timer fires while the question is open: nothing may be copied until the
// answer.
TEST_F(CopyPageTest, CancelBeforeTheFirstFileWaitsForTheAnswer) {
    for (int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer);
        run = PageRun();
        run.cancelAtStart = true;
        g_session.copiedCount = 0;
        g_session.cancelRequested = 0;
        RemoveCopies();
        Answerer answerer = MakeAnswerer(answer);
        answerer.questionDelay = 400;
        EXPECT_EQ(answer == IDYES ? 2 : 1, RunPage(&answerer));
        ASSERT_EQ(1u, answerer.seen.size());
        EXPECT_TRUE(answerer.seen[0].nothingCopied);
        EXPECT_EQ(answer == IDYES ? 0 : 3, g_session.copiedCount);
        for (const char *name : kFiles)
            ExpectCopied(name, answer == IDNO);
    }
}

TEST_F(CopyPageTest, FailedFileEndsWithTwoWithoutAsking) {
    DeleteFileA((setup + "\\" + kFiles[2]).c_str());
    Answerer answerer = MakeAnswerer();
    EXPECT_EQ(2, RunPage(&answerer));
    ASSERT_EQ(1u, answerer.seen.size());
    EXPECT_EQ("File open error.", answerer.seen[0].text);
    EXPECT_EQ(2, g_session.copiedCount);
    ExpectCopied(kFiles[0], true);
    ExpectCopied(kFiles[1], true);
    ExpectCopied(kFiles[2], false);
    EXPECT_TRUE(run.barWhenDone.empty());
}

// A run nested after a refused cancel stops on a failure: the run it is nested in
// stops too, and the failed file is not tried a second time.
TEST_F(CopyPageTest, NestedRunThatFailsShowsItsMessageOnce) {
    DeleteFileA((setup + "\\" + kFiles[2]).c_str());
    run.cancelAtFile = 1;
    Answerer answerer = MakeAnswerer(IDNO);
    EXPECT_EQ(2, RunPage(&answerer));
    ASSERT_EQ(2u, answerer.seen.size());
    EXPECT_EQ(QUESTION, answerer.seen[0].text);
    EXPECT_EQ("File open error.", answerer.seen[1].text);
    EXPECT_EQ(2, g_session.copiedCount);
}

TEST_F(CopyPageTest, BadHandleTriesTheSameFileAgain) {
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "CopyLZFile=-1");
    Answerer answerer = MakeAnswerer();
    int copiedAtMessage = -1;
    answerer.onError = [&](const std::string &) {
        copiedAtMessage = g_session.copiedCount;
        SetEnvironmentVariableA("DRVSETUP_FAULTS", NULL);
    };
    EXPECT_EQ(1, RunPage(&answerer));
    ASSERT_EQ(1u, answerer.seen.size());
    EXPECT_EQ("Cannot read the source file", answerer.seen[0].text);
    EXPECT_EQ(0, copiedAtMessage);
    EXPECT_EQ(3, g_session.copiedCount);
    for (const char *name : kFiles)
        ExpectCopied(name, true);
}

TEST_F(CopyPageTest, BadHandleThatPersistsEndsAfterThreeTries) {
    SetEnvironmentVariableA("DRVSETUP_FAULTS", "CopyLZFile=-2");
    Answerer answerer = MakeAnswerer();
    EXPECT_EQ(2, RunPage(&answerer));
    ASSERT_EQ(3u, answerer.seen.size());
    for (const Message &message : answerer.seen) {
        EXPECT_EQ("Cannot create the destination file.", message.text);
        EXPECT_EQ(run.page, message.owner);
    }
    EXPECT_EQ(0, g_session.copiedCount);
    ExpectCopied(kFiles[0], false);
}

// Nothing to copy: the page ends with 1, and a bar brought back during the close delay
// is full rather than "-1 %".
TEST_F(CopyPageTest, EmptyListEndsWithOneAndAFullBar) {
    SetCopyList({});
    run.cancelWhenDone = true;
    Answerer answerer = MakeAnswerer(IDNO);
    EXPECT_EQ(1, RunPage(&answerer));
    ASSERT_EQ(1u, answerer.seen.size());
    const Bar &bar = answerer.seen[0].bar;
    ASSERT_GT(bar.width, 0);
    EXPECT_EQ(bar.width, bar.split);
    EXPECT_TRUE(bar.whiteOverNavy);
    EXPECT_EQ(0, g_session.copiedCount);
    for (const char *name : kFiles)
        ExpectCopied(name, false);
}

TEST_F(CopyPageTest, CancelYesDuringTheCloseDelayEndsWithTwo) {
    run.cancelWhenDone = true;
    Answerer answerer = MakeAnswerer(IDYES);
    EXPECT_EQ(2, RunPage(&answerer));
    EXPECT_EQ(1, Questions(answerer));
    EXPECT_EQ(3, g_session.copiedCount);
    for (const char *name : kFiles)
        ExpectCopied(name, true);
}

// The bar painted directly on a control of known width.
class ProgressBarTest : public ::testing::Test {
  protected:
    HWND page = NULL;
    HBRUSH navy = NULL;

    void SetUp() override {
        g_instance = GetModuleHandleA(NULL);
        page = CreateWindowA("STATIC", "bar", WS_POPUP | WS_VISIBLE, 50, 50, 260, 60, NULL, NULL,
                             g_instance, NULL);
        CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 20, 10, 201, 24, page,
                      (HMENU)IDC_COPY_BAR, g_instance, NULL);
        navy = CreateSolidBrush(0x800000);
    }

    void TearDown() override {
        DeleteObject(navy);
        DestroyWindow(page);
    }

    Bar Paint(int copied, int count) {
        g_session.copiedCount = copied;
        g_session.fileCount = count;
        PaintCopyProgress(page, navy);
        return ReadBar(page);
    }

    // Every pixel of the bar, to compare two paintings.
    std::vector<COLORREF> Pixels() {
        HWND bar = GetDlgItem(page, IDC_COPY_BAR);
        HDC dc = GetDC(bar);
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 201; x++)
                pixels.push_back(GetPixel(dc, x, y));
        ReleaseDC(bar, dc);
        return pixels;
    }
};

TEST_F(ProgressBarTest, HalfOfA201PixelBarSplitsAtHundredUnderTheText) {
    Bar half = Paint(1, 2);
    EXPECT_EQ(201, half.width);
    EXPECT_EQ(100, half.split);
    EXPECT_TRUE(half.restWhite);
    // "50 %" is centred on the whole bar, so the split runs through it.
    EXPECT_TRUE(half.whiteOverNavy);
    EXPECT_TRUE(half.blackOverWhite);
}

TEST_F(ProgressBarTest, EmptyAndFullBars) {
    Bar none = Paint(0, 2);
    EXPECT_EQ(0, none.split);
    EXPECT_TRUE(none.restWhite);
    EXPECT_TRUE(none.blackOverWhite);

    Bar full = Paint(2, 2);
    EXPECT_EQ(201, full.split);
    EXPECT_TRUE(full.whiteOverNavy);
    EXPECT_FALSE(full.blackOverWhite);

    // 199 of 200 rounds up to a full bar.
    EXPECT_EQ(201, Paint(199, 200).split);
}

TEST_F(ProgressBarTest, EmptyListPaintsExactlyTheFullBar) {
    Paint(3, 3);
    std::vector<COLORREF> full = Pixels();
    Paint(0, 0);
    EXPECT_TRUE(full == Pixels());
}

} // namespace
