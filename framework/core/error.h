// The one report of an unrecoverable failure and the error log
// "graphics_error.log": a time-stamped line per error. What needs a window or
// the platform (the box, the display mode, the contexts, the locale's date
// pictures) is reached through error_hooks, which the window layer fills in;
// without it the stamp comes from the C runtime and the box is a line on
// standard error, so code below the window can report failures all the same.
#pragma once

struct ErrorHooks {
    // Date, blank, time of now for a log line; the text stays valid until the next call.
    const char* (*stamp)();
    // Shows the text in a box with the caption and returns when it is dismissed.
    void (*show)(const char* text, const char* caption);
    // Puts the display mode back and releases the contexts, before the process ends.
    void (*release)();
};

extern ErrorHooks error_hooks;

// Appends the stamped line, shows the box, releases, and ends the process with
// exit code 1 (through exit, so open files are flushed).
[[noreturn]] void fatal_error(const char* text);
// fatal_error with a printf-formatted text.
[[noreturn]] void fatal_errorf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Appends the stamped line only; an unopenable log is skipped.
void log_error(const char* text);
