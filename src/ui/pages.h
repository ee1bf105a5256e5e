// Every page and dialog of the wizard: the procedures and the calls that open them.
#pragma once

#include "ui/iconlist.h"

#include <windows.h>

// Pages, each a modal dialog owned by the hidden main window. They return the
// step or button that ended them (2001 Next, 2000 Back, 2 Cancel; 1 from the copy page
// when every file is copied).
int RunWelcomePage(HWND owner);
int RunModelPage(HWND owner);
int RunPortPage(HWND owner);
int RunCopyPage(HWND owner);
int RunFinishPage(HWND owner, int outcome);

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ModelPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PortPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CopyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StatusDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The program's own message box, chosen and decorated by a message-box style word:
// low four bits the buttons, bits 4-7 the icon. Returns the button that closed it.
int ShowMessageDialog(HWND owner, const char *text, const char *caption, WORD style);
int ShowMessageFromStrings(HWND owner, UINT textId, UINT captionId, WORD style);

// "Are you sure you want to cancel ...?"; only 6 (Yes) in the low word confirms.
int AskCancel(HWND owner);

// What one page adds to what every page does alike (PageMessage): its icon list, what it
// shows as it opens, and its own commands.
struct PageParts {
    WORD listId;            // its owner-drawn icon list; 0 when it has none
    IconChooser chooseIcon; // the icons of that list
    // After the page is centred and its artwork scaled.
    void (*open)(HWND page);
    // 1 when the page handled the command itself; anything it leaves, Cancel asks the
    // cancel question and Back goes back.
    int (*command)(HWND page, WPARAM command, LPARAM lParam);
};

// The message handling of every page, its own parts aside; always 0.
INT_PTR PageMessage(const PageParts *parts, HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The cancel question over a page; Yes ends it with IDCANCEL. 1 when the page was ended.
int CancelPage(HWND page);

// Modeless status box showing one string; the caller shows and destroys it.
HWND OpenStatusDialog(HWND owner, WORD stringId);

// Centres a dialog on its parent's window rectangle and brings it to the front.
void CentreOverParent(HWND dialog);

// The artwork of a page (its first control, a bitmap static) at the screen's resolution:
// ScalePageArtwork as the page opens shows a copy grown as the page grew with its font,
// if it did; FreePageArtwork as it closes puts the template's artwork back and frees it.
void ScalePageArtwork(HWND page);
void FreePageArtwork(HWND page);
