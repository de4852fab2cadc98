// Key matching shared by the lookups (config_file.cpp) and the typed settings
// (config_settings.cpp): ASCII letters A-Z folded and nothing else, so that no
// lookup depends on the locale. Inline, because every lookup compares against
// every key.
#pragma once
#include <cstring>

#include "framework/config/config.h"

inline ConfigEntry* config_entries(GrowArray list) { return (ConfigEntry*)list.data; }

inline unsigned config_fold(unsigned char c) { return (unsigned)c - 65u < 26u ? c + 32u : c; }

// Length of key when query is a prefix of it, else -1.
inline long long config_prefix_length(const char* key, const char* query) {
    size_t i = 0;
    for (; query[i]; i++) {
        unsigned char k = (unsigned char)key[i], q = (unsigned char)query[i];
        if (k != q && config_fold(k) != config_fold(q)) return -1;  // also stops at key's end
    }
    return (long long)(i + strlen(key + i));
}

inline bool config_same_key(const char* a, const char* b) {
    for (; *a && config_fold((unsigned char)*a) == config_fold((unsigned char)*b); a++, b++) {
    }
    return config_fold((unsigned char)*a) == config_fold((unsigned char)*b);
}

// Index of the last entry whose key equals key, or -1.
inline int config_find_key(GrowArray list, const char* key) {
    ConfigEntry* e = config_entries(list);
    for (uint32_t i = list.count; i-- > 0;)
        if (config_same_key(e[i].key, key)) return (int)i;
    return -1;
}
