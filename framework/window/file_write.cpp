// Whole-file writes through a temporary in the same folder: the rename that
// finishes them stays on one file system, where it replaces in one step.
#include "framework/window/file_write.h"

#include <cstdio>
#include <string>

#include "framework/platform/platform.h"

bool write_file_whole(const char* filename, const void* data, size_t size) {
    if (!filename || !filename[0]) return false;
    std::string temporary = std::string(filename) + ".tmp";
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
