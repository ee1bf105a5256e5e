// The installation road as a person walks it, driven by the robot for either build: the
// reading status, the welcome page, the cancel question answered No, the model page left
// once with nothing selected, the port page, the copy page, the writing status and the
// finish page, each checked against the build's texts and handed to a hook (DPI checks,
// screenshots, timings) before the road goes on.
#pragma once

#include "robot/robot.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace e2e {

// What the pages and messages of a build say.
struct Texts {
    const char *pageCaption, *wizardTitle, *reading, *writing, *supported;
    const char *next, *cancel, *back, *ok, *yes, *no;
    const char *questionCaption, *question, *warningCaption, *selectModel;
    const char *modelLabel, *modelInstruction, *portLabel, *portInstruction, *copyCaption;
    const char *succeeded, *failed, *defaultBox, *copyright;
    const char *errorCaption, *fileOpenError, *fileDamaged, *cannotRead;
    const char *removalCaption, *removalFailed, *driverRefusedCaption, *driverRefused;
};

const Texts kEnglish = {
    "Zelmox Printer Driver Install Wizard",
    "Printer Driver Setup",
    "Reading setup information...",
    "Writing system information...",
    "Supported operating system:\r\n\tWindows 7 Home x64\r\n\tWindows 7 Professional x64\r\n"
    "\tWindows 7 Ultimate x64\r\n\r\nTerminate all running applications before installing "
    "driver.",
    "Next",
    "&Cancel",
    "&Back",
    "&Ok",
    "&Yes",
    "&No",
    "Question",
    "Are you sure you want to cancel TQL driver installation?",
    "Warinig",
    "Select printer model to install.",
    "Printer &Models:",
    " Select printer model to install. To continue, click Next.",
    "Printer &Ports:",
    " Select the port connected to printer. To continue, click Next.",
    "Copying Files...",
    "The Installation has done successfully.",
    "The Installation has failed.",
    "Set as &default printer",
    "Copyright (C) 2010 Zelmox Systems Co., Ltd. All rights reserved.",
    "Error",
    "File open error.",
    "File has damaged.",
    "Cannot read the source file",
    "Setup error",
    "Previous verion driver is currently used by an application.\nTerminate all applications. "
    "And then delete previous version driver from printer folderand retry.",
    "Add a printer error ",
    "Cannot add a printer driver!\r\n(System Error Code : ",
};

const Texts kKorean = {
    "젤목스 프린터 드라이버 설치 마법사",
    "프린터 드라이버 설치",
    "설치 정보를 읽고 있습니다...",
    "시스템 정보를 수정하고 있습니다...",
    "사용 가능한 운영체제:\r\n\tWindows 7 Home x86\r\n\tWindows 7 Professional x86\r\n"
    "\tWindows 7 Ultimate x86\r\n\r\n드라이버를 설치하기 전에 사용중인 응용 프로그램을 모두 "
    "종료하십시오.",
    "다음",
    "취소(&C)",
    "이전(&B)",
    "확인(&O)",
    "예(&Y)",
    "아니오(&N)",
    "질문",
    "프린터 드라이버 설치를 종료하시겠습니까?",
    "경고",
    "먼저 설치할 프린터 모델을 선택하십시오.",
    "프린터 모델(&M):",
    " 목록에서 설치할 프린터 모델을 선택하시고, \"다음\" 버튼을 누르십시오.",
    "연결할 포트(&P):",
    " 프린터가 연결된 포트를 지정합니다.\n목록에서 포트를 선택한 후, \"다음\" 버튼을 누르십시오.",
    "파일 복사 중...",
    "설치가 완료되었습니다.",
    "설치를 중지합니다.",
    "기본 프린터로 설정합니다.(&D)",
    "Copyright (C) 2010 젤목스시스템(주)",
    "오류",
    "파일이 없습니다.",
    "파일이 손상되었습니다.",
    "원본 파일을 읽을 수 없습니다.",
    "설치 오류",
    "설치하려는 프린터 드라이버가 이미 설치되어 있으며 현재 다른 응용 프로그램에 의해 "
    "사용중이므로 업그레이드가 불가능합니다.\n사용중인 응용 프로그램을 모두 종료하신 후 다시 "
    "설치해 보십시오.",
    nullptr,
    nullptr,
};

// The demo's setup information (demo/J71.INF), read here without the platform's help:
// the lines of its section `name`, comments and blank lines left out.
inline std::vector<std::string> DemoSection(const std::string &name) {
    std::string text, line;
    EXPECT_TRUE(robot::ReadWholeFile(robot::SourcePath("demo\\J71.INF"), &text));
    std::vector<std::string> lines;
    bool inside = false;
    for (size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        line = text.substr(at, text.find('\n', at) - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[')
            inside = line == "[" + name + "]";
        else if (inside && !line.empty() && line[0] != ';')
            lines.push_back(line);
        if (text.find('\n', at) == std::string::npos)
            break;
    }
    return lines;
}

// The demo's models, as its vendor section lists them.
inline std::vector<std::string> DemoModels() {
    std::vector<std::string> models;
    for (const std::string &line : DemoSection("ZelmoxSystems"))
        models.push_back(line.substr(1, line.find('"', 1) - 1));
    return models;
}

// A demo model's copy list, in order, without its at signs.
inline std::vector<std::string> DemoFiles(const std::string &model) {
    std::vector<std::string> files;
    for (const std::string &entry : DemoSection("ZelmoxSystems")) {
        if (entry.compare(0, model.size() + 2, "\"" + model + "\"") != 0)
            continue;
        std::string section = entry.substr(model.size() + 3);
        for (const std::string &line : DemoSection(section.substr(0, section.find(','))))
            if (line.compare(0, 10, "CopyFiles=") == 0)
                for (size_t at = 10; at <= line.size(); at = line.find(',', at) + 1) {
                    std::string name = line.substr(at, line.find(',', at) - at);
                    files.push_back(name[0] == '@' ? name.substr(1) : name);
                    if (line.find(',', at) == std::string::npos)
                        break;
                }
    }
    return files;
}

// The places of the road, in the order a person meets them.
enum class Stop {
    kReading,
    kWelcome,
    kQuestion,
    kModel,
    kWarning,
    kPort,
    kCopy,
    kWriting,
    kFinish
};

inline const char *NameOf(Stop stop) {
    static const char *const names[] = {"reading", "welcome", "question", "model", "warning",
                                        "port",    "copy",    "writing",  "finish"};
    return names[(int)stop];
}

// Called at each stop once its texts are checked, before the road goes on.
using RoadHook = std::function<void(Stop, HWND)>;

// Each control of `window` shows its text; identifier 0 stands for the window's caption.
inline void ExpectSays(HWND window, std::initializer_list<std::pair<int, const char *>> texts) {
    for (const auto &said : texts)
        EXPECT_EQ(said.first ? robot::ControlText(window, said.first) : robot::TextOf(window),
                  said.second)
            << "control " << said.first;
}

// The robot's wait for a window of the wizard that holds `id`, by what it is.
inline HWND WaitForStop(const robot::Wizard &wizard, int id, DWORD slowMs) {
    return id == robot::kMessageText ? robot::WaitForMessageDialog(wizard, slowMs)
                                     : robot::WaitForWindow(wizard, "", id, slowMs);
}

// Drives the wizard started by the caller along the whole road with the first model and
// the port it offers, to the finish page of the outcome `installed`, closed with OK and
// its box left as offered. `slowMs` bounds each wait.
inline void DriveRoad(robot::Wizard &wizard, const Texts &t, bool installed, const RoadHook &hook,
                      DWORD slowMs) {
    using namespace robot;
    auto reached = [&](Stop stop, int id) {
        HWND window = WaitForStop(wizard, id, slowMs);
        EXPECT_TRUE(window) << "no " << NameOf(stop);
        return window;
    };
    HWND status = reached(Stop::kReading, kStatusText);
    ASSERT_TRUE(status);
    ExpectSays(status, {{kStatusText, t.reading}});
    hook(Stop::kReading, status);

    HWND welcome = reached(Stop::kWelcome, kWelcomeText);
    ASSERT_TRUE(welcome);
    ExpectSays(
        welcome,
        {{0, t.pageCaption}, {kWelcomeText, t.supported}, {kNext, t.next}, {kCancel, t.cancel}});
    hook(Stop::kWelcome, welcome);

    // Cancel answered No leaves the welcome page open.
    ASSERT_TRUE(Press(welcome, kCancel));
    HWND question = reached(Stop::kQuestion, kMessageText);
    ASSERT_TRUE(question);
    ExpectSays(question,
               {{0, t.questionCaption}, {kMessageText, t.question}, {kYes, t.yes}, {kNo, t.no}});
    hook(Stop::kQuestion, question);
    ASSERT_TRUE(Press(question, kNo));
    ASSERT_TRUE(WaitGone(question, slowMs));
    EXPECT_TRUE(IsWindowVisible(welcome)) << "No must leave the welcome page open";
    ASSERT_TRUE(Press(welcome, kNext));

    // A list page: its caption, its list's label and its instruction.
    auto listPage = [&](Stop stop, int list, int label, const char *labelText,
                        const char *instruction) {
        HWND page = reached(stop, list);
        if (page)
            ExpectSays(page, {{0, t.pageCaption}, {label, labelText}, {2009, instruction}});
        return page;
    };
    HWND model = listPage(Stop::kModel, kModelList, 2034, t.modelLabel, t.modelInstruction);
    ASSERT_TRUE(model);
    EXPECT_EQ(ControlText(model, kBack), t.back);
    EXPECT_EQ(ListSelection(model, kModelList), 0) << "the first model is chosen in advance";
    hook(Stop::kModel, model);

    // Next with nothing selected: the warning, and the page stays.
    ASSERT_TRUE(ListSelect(model, kModelList, -1));
    ASSERT_TRUE(Press(model, kNext));
    HWND warning = reached(Stop::kWarning, kMessageText);
    ASSERT_TRUE(warning);
    ExpectSays(warning, {{0, t.warningCaption}, {kMessageText, t.selectModel}});
    hook(Stop::kWarning, warning);
    ASSERT_TRUE(Press(warning, kOk));
    ASSERT_TRUE(WaitGone(warning, slowMs));
    EXPECT_TRUE(IsWindowVisible(model)) << "the model page must stay open";
    ASSERT_TRUE(ListSelect(model, kModelList, 0));
    ASSERT_TRUE(Press(model, kNext));

    HWND port = listPage(Stop::kPort, kPortList, 2017, t.portLabel, t.portInstruction);
    ASSERT_TRUE(port);
    hook(Stop::kPort, port);
    ASSERT_TRUE(Press(port, kNext));

    // The copy page stays a second after its last file, which it names.
    HWND copy = reached(Stop::kCopy, kCopyBar);
    ASSERT_TRUE(copy);
    std::vector<std::string> files = DemoFiles(DemoModels()[0]);
    for (ULONGLONG end = Now() + slowMs;
         Now() < end && IsWindow(copy) && ControlText(copy, kCopyFile) != files.back();)
        Pump(kPollMs);
    EXPECT_EQ(ControlText(copy, kCopyFile), files.back());
    EXPECT_EQ(TextOf(copy), t.copyCaption);
    hook(Stop::kCopy, copy);

    HWND writing = reached(Stop::kWriting, kStatusText);
    ASSERT_TRUE(writing);
    ExpectSays(writing, {{kStatusText, t.writing}});
    hook(Stop::kWriting, writing);

    HWND finish = WaitForPage(wizard, kFinishText, 2 * slowMs);
    ASSERT_TRUE(finish) << "no finish";
    ExpectSays(finish, {{0, t.wizardTitle},
                        {kFinishText, installed ? t.succeeded : t.failed},
                        {kFinishCheck, t.defaultBox},
                        {kFinishCopyright, t.copyright},
                        {kOk, t.ok}});
    EXPECT_EQ(IsControlVisible(finish, kFinishCheck), installed);
    if (installed)
        EXPECT_EQ(CheckState(finish, kFinishCheck), BST_CHECKED);
    Pump(200);
    EXPECT_EQ(WaitForIcon(GetDlgItem(finish, kIcon), installed ? "asterisk" : "hand"),
              installed ? "asterisk" : "hand");
    hook(Stop::kFinish, finish);
    ASSERT_TRUE(Press(finish, kOk));
    EXPECT_EQ(WaitForExit(&wizard, slowMs), 0u);
}

// Keeps a picture of `window` in the build tree's screenshots folder as `name`.bmp, for a
// person to look at; `lasting` false for a window that may be gone by then.
inline void KeepPicture(HWND window, const std::string &name, bool lasting = true) {
    robot::Pump(150);
    CreateDirectoryA(robot::BinPath("screenshots").c_str(), nullptr);
    std::string path = robot::BinPath("screenshots\\") + name + ".bmp";
    EXPECT_TRUE(robot::SaveScreenshot(window, path) || !lasting) << path;
}

// A hook that keeps a picture of every stop, named `prefix`-NN-stop.
inline RoadHook Screenshots(const std::string &prefix) {
    return [prefix](Stop stop, HWND window) {
        char number[8];
        snprintf(number, sizeof number, "-%02d-", (int)stop + 1);
        KeepPicture(window, prefix + number + NameOf(stop));
    };
}

} // namespace e2e
