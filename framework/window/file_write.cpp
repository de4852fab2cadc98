// Whole-file writes through a temporary in the same folder: the rename that
// finishes them stays on one file system, where it replaces in one step.
#include "framework/window/file_write.h"

#include <cstdio>
#include <string>

#include "framework/platform/platform.h"

bool write_file_whole(const char* filename, const void* data, size_t size) {
    if (!filename || !filename[0]) return false;
    // A temporary name nobody uses yet: a file of the user's that happens to
    // be called "<name>.tmp" is left alone.
    std::string temporary;
    for (int i = 0; i < 100 && temporary.empty(); i++) {
        std::string candidate = std::string(filename) + (i ? "." + std::to_string(i) : std::string()) + ".tmp";
        FILE* existing = fopen(candidate.c_str(), "rb");
        if (existing) fclose(existing);
        else temporary = candidate;
    }
    if (temporary.empty()) return false;
    FILE* f = fopen(temporary.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || fwrite(data, 1, size, f) == size;
    ok = fflush(f) == 0 && ok;  // a full disk may show only now
    ok = fclose(f) == 0 && ok;
    if (!ok || !plat_replace_file(temporary.c_str(), filename)) {
        remove(temporary.c_str());
        return false;
    }
    return true;
}
