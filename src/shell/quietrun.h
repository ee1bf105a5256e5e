// An unattended installation: the wizard's operations in the wizard's order, from the
// command line alone, with no window, no page and no message box.
#pragma once

// Runs it with the arguments in g_arguments (`understood` 0 when the command line was
// wrong) and returns the exit code.
int RunQuiet(int understood);
