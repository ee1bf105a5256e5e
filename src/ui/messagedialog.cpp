// The program's own message box, drawn from the IDD_MSG_* templates so that it carries
// the wizard's fonts and, in the Korean build, Korean button captions.
#include "res/resource.h"
#include "shell/session.h"
#include "ui/pages.h"

// What the next message dialog shows, held from the call that opens it to its
// WM_INITDIALOG. Only one message dialog is ever open at a time.
static const char *g_messageText;
static const char *g_messageCaption;
static WORD g_messageStyle;

// Template for the button set in the low four bits of a message-box style.
static const char *MessageTemplate(WORD style) {
    switch (style & 0x0F) {
    case MB_OKCANCEL:
        return "IDD_MSG_OKCANCEL";
    case MB_YESNOCANCEL:
        return "IDD_MSG_YESNOCANCEL";
    case MB_YESNO:
        return "IDD_MSG_YESNO";
    case MB_RETRYCANCEL:
        return "IDD_MSG_RETRYCANCEL";
    default:
        return "IDD_MSG_OK";
    }
}

// System icon for the icon bits (0xF0) of a message-box style.
static HICON MessageIcon(WORD style) {
    LPCSTR icon;
    switch (style & 0xF0) {
    case MB_ICONHAND:
        icon = IDI_HAND;
        break;
    case MB_ICONQUESTION:
        icon = IDI_QUESTION;
        break;
    case MB_ICONEXCLAMATION:
        icon = IDI_EXCLAMATION;
        break;
    case MB_ICONASTERISK:
        icon = IDI_ASTERISK;
        break;
    default:
        icon = IDI_APPLICATION;
        break;
    }
    return LoadIconA(NULL, icon);
}

static void InitMessageDialog(HWND dialog) {
    CentreOverParent(dialog);
    SetWindowTextA(dialog, g_messageCaption);
    SetDlgItemTextA(dialog, IDC_MSG_TEXT, g_messageText);
    SendDlgItemMessageA(dialog, IDC_MSG_ICON, STM_SETICON, (WPARAM)MessageIcon(g_messageStyle), 0);
}

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InitMessageDialog(dialog);
        break;
    case WM_COMMAND:
        // Every button ends the dialog with its own identifier; Esc sends 2.
        EndDialog(dialog, wParam);
        break;
    }
    return 0;
}

int ShowMessageDialog(HWND owner, const char *text, const char *caption, WORD style) {
    g_messageText = text;
    g_messageCaption = caption;
    g_messageStyle = style;
    return (int)DialogBoxParamA(g_instance, MessageTemplate(style), owner, MessageDialogProc, 0);
}

int ShowMessageFromStrings(HWND owner, UINT textId, UINT captionId, WORD style) {
    char text[TEXT_BUFFER_SIZE] = "";
    char caption[TEXT_BUFFER_SIZE] = "";
    LoadStringA(g_instance, textId, text, sizeof text);
    LoadStringA(g_instance, captionId, caption, sizeof caption);
    return ShowMessageDialog(owner, text, caption, style);
}

int AskCancel(HWND owner) {
    return ShowMessageFromStrings(owner, IDS_ASK_CANCEL, IDS_CAPTION_QUESTION,
                                  MB_YESNO | MB_ICONQUESTION);
}
