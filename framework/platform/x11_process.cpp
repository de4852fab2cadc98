// Process services of the Linux backend (platform.h): the arguments as the
// kernel holds them, replacing a file, and the console (nothing to do here).
#include "framework/platform/platform.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

bool plat_replace_file(const char* from, const char* to) { return from && to && rename(from, to) == 0; }

// /proc/self/cmdline holds argv exactly, each argument ended by a zero byte,
// so empty arguments and ones with blanks come back as they were given. A
// process that rewrote its argv may leave the last one unended: keep it.
const char* const* plat_arguments(int* count) {
    static std::vector<std::string> args;
    static std::vector<const char*> pointers;
    static bool read = false;
    if (!read) {
        read = true;
        if (FILE* f = fopen("/proc/self/cmdline", "rb")) {
            std::string arg;
            int c;
            while ((c = fgetc(f)) != EOF) {
                if (c == 0) {
                    args.push_back(arg);
                    arg.clear();
                } else {
                    arg += (char)c;
                }
            }
            if (!arg.empty()) args.push_back(arg);
            fclose(f);
        }
        for (const std::string& a : args) pointers.push_back(a.c_str());
        pointers.push_back(nullptr);
    }
    *count = (int)args.size();
    return pointers.data();
}

void plat_console_output() {}

bool plat_stderr_is_terminal() { return isatty(2) == 1; }
