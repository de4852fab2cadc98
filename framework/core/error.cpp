// The error log and the fatal path. The hooks default to what the C runtime
// offers, so the core never needs the window, the platform or GL.
#include "framework/core/error.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "framework/core/memory.h"

// The window layer's default pictures "yyyy-MMM-dd" and "HH:mm:ss", from the C runtime.
static const char* runtime_stamp() {
    static char text[64];
    time_t now = time(nullptr);
    const struct tm* local = localtime(&now);
    if (!local || !strftime(text, sizeof text, "%Y-%b-%d %H:%M:%S", local)) text[0] = 0;
    return text;
}

static void runtime_show(const char* text, const char* caption) {
    fprintf(stderr, "%s: %s\n", caption, text);
    fflush(stderr);
}

static void release_nothing() {}

ErrorHooks error_hooks = {runtime_stamp, runtime_show, release_nothing};

void log_error(const char* text) {
    FILE* f = fopen("graphics_error.log", "at");
    if (!f) return;  // an unwritable log is skipped; the caller goes on
    fprintf(f, "%s %s\n", error_hooks.stamp(), text ? text : "");
    fclose(f);
}

void fatal_error(const char* text) {
    log_error(text);
    error_hooks.show(text ? text : "", "Oh sod it");  // before the display mode changes back
    error_hooks.release();
    exit(1);  // flushes open files
}

void fatal_errorf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char* text = heap_format_list(format, args);
    va_end(args);
    fatal_error(text);
}
