// Reader of the setup information file, and the model and port pages' data sources.
#pragma once

#include <windows.h>

const char *GetInfPath();
void GetModuleDirectory(char *directory);
const char *GetSetupFolder();
const char *GetVendorSection();
WORD CountModels();
void GetModelName(unsigned index, char *out);
int LoadModelInstallData(HWND page);
int LoadInstallDataFor(const char *name);
const char *GetHardwareId(const char *modelName);

void ChooseModelIcon(const char *text, char *out);

WORD CountPorts();
void GetPortName(unsigned index, char *out);
void ChoosePortIcon(const char *text, char *out);
int ReadSelectedPort(HWND page);

// The entries an unattended run names, as the pages would list them.
int FindListedModel(const char *wanted, char *out);
int FindListedPort(const char *wanted, char *out);
