// The error log "graphics_error.log", fatal errors, and the time formatters
// that share the log's date and time pictures (graphics.date_format, time_format).
#pragma once
#include <cstdint>

#include "framework/platform/platform.h"

[[noreturn]] void fatal_error(const char* text);
void log_error(const char* text);

// Time values are seconds since 1970-01-01 UTC; -9e99 stands for now.
uint64_t time_to_filetime(double t);  // 100-ns intervals since 1601-01-01
void time_to_systemtime(double t, SysTime* out);
char* format_date_time(double t, char* out);  // out: at least 202 bytes
char* format_filetime(uint64_t filetime, char* out);
char* format_date(double t, char* out);  // out: at least 20 bytes
char* format_time(double t, char* out);  // out: at least 20 bytes
