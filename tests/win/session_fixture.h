// Files, folders and the session as the copy and registration tests set them up.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "shell/session.h"

#include <stdio.h>
#include <string.h>

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

namespace fixture {

// Where the fixtures made by tests/win/data/make-fixtures.sh lie, as a Windows path: the
// source tree named by the test run, else the one this file was compiled from.
inline std::string DataPath(const char *name) {
    char source[1024] = "";
    std::string root;
    if (GetEnvironmentVariableA("DRVSETUP_SOURCE", source, sizeof source) && source[0]) {
        root = std::string(source) + "/tests/win";
    } else {
        root = __FILE__;
        root = root.substr(0, root.find_last_of("/\\"));
    }
    std::string path = (root[0] == '/' ? "Z:" : "") + root + "/data/" + name;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// A file of the build tree named by the test run (DRVSETUP_BIN), as a Windows path; empty
// when the run names none.
inline std::string BinPath(const char *name) {
    char bin[1024] = "";
    if (!GetEnvironmentVariableA("DRVSETUP_BIN", bin, sizeof bin) || !bin[0])
        return "";
    std::string path = std::string(bin[0] == '/' ? "Z:" : "") + bin + "/" + name;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

inline std::string ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteBytes(const std::string &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline bool Exists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A folder name in the temp directory, unique to this moment: `prefix` and the tick count.
inline std::string TempFolderName(const char *prefix) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char unique[64];
    snprintf(unique, sizeof unique, "%s%lu", prefix, GetTickCount());
    return std::string(temp) + unique;
}

// A new folder in the temp directory for the session's setup information file, J71.INF,
// which g_session.infPath then names.
inline void MakeInfFolder(char (&folder)[MAX_PATH], const char *prefix) {
    snprintf(folder, MAX_PATH, "%s-%lu", TempFolderName(prefix).c_str(), GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(folder, NULL));
    snprintf(g_session.infPath, sizeof g_session.infPath, "%s\\J71.INF", folder);
}

// Makes `directory` current, keeping the one it replaces in `previous` for the tear-down.
inline bool EnterDirectory(const std::string &directory, char (&previous)[MAX_PATH]) {
    GetCurrentDirectoryA(sizeof previous, previous);
    return SetCurrentDirectoryA(directory.c_str()) != FALSE;
}

// A cleared session, for the x64 build's version 3 drivers.
inline void FreshSession() {
    memset(&g_session, 0, sizeof g_session);
    g_session.driverVersion = 3;
    g_session.environment = "Windows x64";
}

// The session's copy list and file count, as the model page leaves them.
inline void SetCopyList(std::initializer_list<const char *> names) {
    char *at = g_session.copyList;
    memset(g_session.copyList, 0, sizeof g_session.copyList);
    for (const char *name : names) {
        strcpy(at, name);
        at += strlen(name) + 1;
    }
    g_session.fileCount = (int)names.size();
}

} // namespace fixture
