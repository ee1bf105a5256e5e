// Helpers shared by the robot's own files; not for tests.
#pragma once

#include <windows.h>

#include <string>

namespace robot {

std::wstring Wide(const std::string &utf8);
std::string Utf8(const wchar_t *text, int length = -1);

// Timeout of every message sent to the wizard: it never blocks the robot for long.
enum : UINT { kSendTimeoutMs = 5000 };

// SendMessageTimeoutW with the robot's timeout; the result, or `failed` on timeout.
LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT failed = 0);

} // namespace robot
