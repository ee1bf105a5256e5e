// Reader of the setup information file, and the model and port pages' data sources.
#pragma once

#include "shell/session.h"

#include <windows.h>

const char *GetInfPath();
void GetModuleDirectory(char *directory);
const char *GetSetupFolder();
const char *GetVendorSection();
WORD CountModels();
void GetModelName(unsigned index, char *out);
int LoadModelInstallData(HWND page);
int LoadInstallDataFor(const char *name);

// A model's install data as the setup information file gives it, before any of it goes
// into the session.
struct ModelInstallData {
    char section[TEXT_BUFFER_SIZE];
    char copyList[COPY_LIST_SIZE]; // as the session's: each name ended by a NUL, then ""
    int fileCount;
    char dataSection[TEXT_BUFFER_SIZE];
};
int ReadModelInstallData(const char *name, ModelInstallData *data, char *problem);

// The unattended check of a setup folder: every model the model page lists, read as its
// Next reads it, with every file of its copy list in the setup folder. Logs one line per
// problem and returns how many there were; changes nothing.
int CheckSetupFolder();
const char *GetHardwareId(const char *modelName);

void ChooseModelIcon(const char *text, char *out);

WORD CountPorts();
void GetPortName(unsigned index, char *out);
void ChoosePortIcon(const char *text, char *out);
int ReadSelectedPort(HWND page);

// The entries an unattended run names, as the pages would list them.
int FindListedModel(const char *wanted, char *out);
int FindListedPort(const char *wanted, char *out);
