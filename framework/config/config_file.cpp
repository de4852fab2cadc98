// The configuration file: reading lines of any length and line-end convention,
// splitting "key<sep> value", the prefix lookup, defaults, removal, and the
// rewrite through a side file so that a failed write never loses the old one.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "framework/config/config.h"
#include "framework/config/config_keys.h"
#include "framework/core/error.h"
#include "framework/core/memory.h"

GrowArray config_make() { return array_make(sizeof(ConfigEntry)); }

// One pass with a growing buffer rather than measuring, seeking back and
// reading again: the same text, but it also works on pipes, costs no seek per
// line, and cannot spin when the file changes under it.
char* read_text_line(FILE* f) {
    if (!f) return nullptr;
    size_t size = 64, n = 0;
    char* line = (char*)heap_alloc(size);
    int c;
    while ((c = getc(f)) != EOF && c != 0 && c != '\n' && c != '\r') {
        if (n + 1 == size) {
            if (size > SIZE_MAX / 2) fatal_error("Out of memory");
            line = (char*)heap_resize(line, size * 2);
            size *= 2;
        }
        line[n++] = (char)c;
    }
    line[n] = 0;
    if (c == '\r') {
        int next = getc(f);
        if (next != '\n' && next != EOF) ungetc(next, f);
    }
    if (n == 0 && c == EOF) {
        free(line);
        return nullptr;
    }
    return line;
}

// Whitespace of the file format: bytes 0x80 and above never count, whatever the locale.
static bool blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

static void append_entry(GrowArray* list, char* key, char* value) {
    ConfigEntry e = {key, value};
    array_append(list, &e);
}

GrowArray read_config(const char* name, char separator) {
    GrowArray list = config_make();
    FILE* f = name ? fopen(name, "rb") : nullptr;
    if (!f) return list;
    while (char* line = read_text_line(f)) {
        char* sep = strchr(line, separator);
        if (sep) {
            // Both trims stay on their own side of the separator, which matters
            // when the separator is itself a whitespace character.
            const char* ks = line;
            while (ks < sep && blank(*ks)) ks++;
            const char* ke = sep;
            while (ke > ks && blank(ke[-1])) ke--;
            const char* vs = *sep ? sep + 1 : sep;
            const char* ve = vs + strlen(vs);
            while (vs < ve && blank(*vs)) vs++;
            while (ve > vs && blank(ve[-1])) ve--;
            append_entry(&list, heap_copy_n(ks, (size_t)(ke - ks)), heap_copy_n(vs, (size_t)(ve - vs)));
        }
        free(line);
    }
    fclose(f);
    return list;
}

int config_find(GrowArray list, const char* query) {
    if (!query) return -1;
    ConfigEntry* e = config_entries(list);
    int best = -1;
    long long best_length = 9999999;
    for (uint32_t i = list.count; i-- > 0;) {
        long long n = config_prefix_length(e[i].key, query);
        if (n >= 0 && n < best_length) {
            best_length = n;
            best = (int)i;
        }
    }
    return best;
}

const char* config_get(GrowArray list, const char* query) {
    int i = config_find(list, query);
    return i < 0 ? nullptr : config_entries(list)[i].value;
}

void config_default(GrowArray* list, const char* key, const char* value) {
    if (config_find_key(*list, key) < 0) append_entry(list, heap_copy(key), heap_copy(value));
}

int config_remove(GrowArray* list, const char* key) {
    int i = config_find_key(*list, key);
    if (i < 0) return 0;
    ConfigEntry* e = config_entries(*list);
    free(e[i].key);
    free(e[i].value);
    array_remove_swap(list, (uint32_t)i);
    return 1;
}

enum WriteResult { WRITTEN, NOT_OPENED, FAILED };

namespace fs = std::filesystem;

// The side file is given the permissions of the file it will replace before a
// byte goes in, so a private file is never readable by others on the way.
static WriteResult write_entries(GrowArray list, const std::string& name, char separator, const fs::perms* keep) {
    FILE* f = fopen(name.c_str(), "wt");  // text mode: CR LF on Windows
    if (!f) return NOT_OPENED;
    if (keep) {
        std::error_code ec;
        fs::permissions(name, *keep, ec);
    }
    ConfigEntry* e = config_entries(list);
    for (uint32_t i = 0; i < list.count; i++) fprintf(f, "%s%c %s\n", e[i].key, separator, e[i].value);
    bool ok = !ferror(f);
    if (fclose(f) != 0) ok = false;
    return ok ? WRITTEN : FAILED;
}

// Follows symbolic links in *name to the file they finally stand for, so that
// the rename replaces the target rather than the link. A dangling link gives
// the file it names, which the write creates. False for a loop or a link that
// cannot be read. A name that is no link is kept byte for byte.
static bool follow_links(std::string* name) {
    fs::path p = *name;
    for (int hops = 0; hops < 40; hops++) {
        std::error_code ec;
        fs::file_status st = fs::symlink_status(p, ec);
        if (!fs::is_symlink(st)) {
            if (ec && st.type() != fs::file_type::not_found) return false;
            if (hops > 0) *name = p.string();
            return true;
        }
        fs::path next = fs::read_symlink(p, ec);
        if (ec) return false;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return false;
}

int write_config(GrowArray list, const char* name, char separator) {
    if (!name || !*name) return 0;
    std::string target = name;
    if (!follow_links(&target)) return 0;
    std::error_code ec;
    fs::file_status st = fs::status(target, ec);
    if (ec && st.type() != fs::file_type::not_found) return 0;
    fs::perms perms = st.permissions();
    const fs::perms* keep = nullptr;
    if (fs::exists(st)) {
        // Only a regular file we could open for writing is replaced: a rename
        // alone would also replace a read-only file or an empty directory.
        if (!fs::is_regular_file(st)) return 0;
        FILE* probe = fopen(target.c_str(), "r+b");
        if (!probe) return 0;
        fclose(probe);
        keep = &perms;
    }
    // Writing the file in place would truncate it before a single byte is
    // known to fit, so when the side file cannot be written nothing changes.
    std::string side = target + ".new";
    WriteResult r = write_entries(list, side, separator, keep);
    if (r != WRITTEN) {
        if (r == FAILED) remove(side.c_str());  // ours, and incomplete
        return 0;
    }
    // One step, so there is no moment without the file: unlike the C runtime's
    // rename on Windows, this one replaces an existing file there too.
    fs::rename(side, target, ec);
    return ec ? 0 : 1;  // on failure the new text stays in the side file
}

void free_config(GrowArray list) {
    ConfigEntry* e = config_entries(list);
    for (uint32_t i = list.count; i-- > 0;) {
        free(e[i].key);
        free(e[i].value);
    }
    array_free(list);
}
