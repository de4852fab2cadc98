// The window's side of the error log "graphics_error.log" and fatal errors
// (framework/core/error.h): the hooks that stamp lines with the platform's
// date and time pictures (graphics.date_format, time_format, the stamp kept in
// graphics.time_stamp), show the box and release the display and contexts;
// and the time formatters that share those pictures.
#pragma once
#include <cstdint>

#include "framework/core/error.h"
#include "framework/platform/platform.h"

// Points error_hooks at the window layer; done before main by graphics.cpp.
void install_window_error_hooks();

// Time values are seconds since 1970-01-01 UTC; -9e99 stands for now.
uint64_t time_to_filetime(double t);  // 100-ns intervals since 1601-01-01
void time_to_systemtime(double t, SysTime* out);
char* format_date_time(double t, char* out);  // out: at least 202 bytes
char* format_filetime(uint64_t filetime, char* out);
char* format_date(double t, char* out);  // out: at least 20 bytes
char* format_time(double t, char* out);  // out: at least 20 bytes
