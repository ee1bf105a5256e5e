// The wizard's sequence: the steps the hidden main window posts itself, the timers of its
// slow steps and the outcomes that end it.
#pragma once

#include <windows.h>

// Wizard steps (WM_COMMAND wParam to the main window).
enum WizardStep {
    STEP_WELCOME = 1000,
    STEP_MODEL = 1001,
    STEP_PORT = 1002,
    STEP_COPY = 1003,
    STEP_WRITE = 1008,
};

// One-shot timers of the main window.
enum {
    TIMER_SHOW_READING = 3001,
    TIMER_END_READING = 3002,
    TIMER_FIRST_REGISTER = 3003,
    TIMER_END_WRITING = 3004,
    TIMER_SECOND_REGISTER = 3007,
};

// Outcomes carried by WM_CLOSE.
enum { OUTCOME_INSTALLED = 1, OUTCOME_FAILED = 2 };

// Window procedure of the hidden main window: runs the wizard step by step.
LRESULT CALLBACK SequencerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
