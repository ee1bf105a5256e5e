// One installation at a time on a machine: the wizard and unattended runs, of either
// build and from any session, exclude each other through one machine-wide mutex.
#pragma once

#include <windows.h>

// 1 when this process holds the mutex, now or since an earlier call, and keeps it until it
// ends; 0 when another run holds it (or it cannot be had), with the reason logged.
int EnterSingleRun();

// The wizard's check, as it is about to change the machine: 0 after telling the person, in
// a message dialog over `page`, that another installation is running.
int WizardMayRun(HWND page);
