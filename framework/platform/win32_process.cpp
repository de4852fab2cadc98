// Process services of the Win32 backend (platform.h): the C runtime's split
// of the command line, replacing a file, and the parent's console for a GUI
// program's output.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "framework/platform/platform.h"

bool plat_replace_file(const char* from, const char* to) {
    return from && to && MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// The runtime split GetCommandLineA by the Microsoft rules (quotes, backslashes
// before quotes) before WinMain ran, as it does for main.
const char* const* plat_arguments(int* count) {
    *count = __argc;
    return (const char* const*)__argv;
}

static bool has_handle(DWORD which) {
    HANDLE h = GetStdHandle(which);
    return h != nullptr && h != INVALID_HANDLE_VALUE;
}

// A GUI program started from a console gets no standard handles; output
// redirected to a file or pipe does, and is left as it is.
void plat_console_output() {
    bool out = has_handle(STD_OUTPUT_HANDLE), err = has_handle(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!out) freopen("CONOUT$", "w", stdout);
    if (!err) freopen("CONOUT$", "w", stderr);
}

bool plat_stderr_is_terminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}
