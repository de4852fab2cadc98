// The window layer's error hooks: the stamp from the platform's date and time
// pictures, the platform's message box, and the release of the display mode
// and contexts; and the time formatters.
#include "framework/window/error_log.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/window/graphics.h"

static const double NOW = -9e99;

// Date and time of `when` (null: now, local) with the pictures, into out (202 bytes).
static char* format_pair(const SysTime* when, char* out) {
    char date[100], time[100];
    plat_format_date(when, graphics.date_format, date, sizeof date);
    plat_format_time(when, graphics.time_format, time, sizeof time);
    snprintf(out, 202, "%s %s", date, time);
    return out;
}

static const char* window_stamp() { return format_pair(nullptr, graphics.time_stamp); }

static void window_show(const char* text, const char* caption) { plat_message_box(text, caption); }

void install_window_error_hooks() { error_hooks = {window_stamp, window_show, release_graphics_context}; }

uint64_t time_to_filetime(double t) {
    double a = (t + 11644473600.0) * 10000000.0;  // seconds 1601..1970
    // Out-of-range values would make the conversions undefined; clamp to what a FILETIME holds.
    if (!(a >= 0)) a = 0;
    if (a >= 18446744073709549568.0) a = 18446744073709549568.0 - 4096;
    uint32_t high = (uint32_t)floor(a * (1.0 / 4294967296.0));
    uint32_t low = (uint32_t)floor(a - high * 4294967296.0);
    return (uint64_t)high << 32 | low;
}

void time_to_systemtime(double t, SysTime* out) {
    memset(out, 0, sizeof *out);
    plat_filetime_to_systemtime(time_to_filetime(t), out);
}

char* format_date_time(double t, char* out) {
    if (t == NOW) {
        format_pair(nullptr, out);
    } else {
        SysTime st;
        time_to_systemtime(t, &st);
        format_pair(&st, out);
    }
    return out;
}

char* format_filetime(uint64_t filetime, char* out) {
    SysTime st;
    memset(&st, 0, sizeof st);
    plat_filetime_to_systemtime(filetime, &st);
    format_pair(&st, out);
    return out;
}

char* format_date(double t, char* out) {
    SysTime st;
    if (t != NOW) time_to_systemtime(t, &st);
    plat_format_date(t == NOW ? nullptr : &st, graphics.date_format, out, 20);
    return out;
}

char* format_time(double t, char* out) {
    SysTime st;
    if (t != NOW) time_to_systemtime(t, &st);
    plat_format_time(t == NOW ? nullptr : &st, graphics.time_format, out, 20);
    return out;
}
