// One installation at a time on a machine: the wizard and unattended runs, of either
// build and from any session, exclude each other through one machine-wide mutex.
#pragma once

// 1 when this process now holds the mutex, which it keeps until it ends; 0 when another
// run holds it (or it cannot be had), with the reason logged.
int EnterSingleRun();

// The wizard's check: 0 after telling the person, in a message dialog, that another
// installation is running.
int WizardMayRun();
