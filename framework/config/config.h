// The configuration store: an ordered list of owned key/value texts in a
// GrowArray, read from and written to "key: value" text files, with a forgiving
// prefix lookup and typed getters and setters on top.
#pragma once
#include "framework/util/grow_array.h"

struct ConfigEntry {
    char* key;    // owned heap copy
    char* value;  // owned heap copy
};

// ---- the file and the list (config_file.cpp) ----
GrowArray config_make();  // empty list of ConfigEntry
// The next line without its end (CR LF, LF, CR or NUL), as a heap text the
// caller frees; null at the end of the stream.
char* read_text_line(FILE* f);
GrowArray read_config(const char* name, char separator);  // empty when unreadable
// The index of the entry whose key has the query as a prefix (ASCII letters
// folded), the shortest such key winning, ties to the entry nearest the end;
// -1 when none matches.
int config_find(GrowArray list, const char* query);
// The value of the entry config_find picks; null when none matches. The text
// belongs to the list.
const char* config_get(GrowArray list, const char* query);
void config_default(GrowArray* list, const char* key, const char* value);
int config_remove(GrowArray* list, const char* key);  // 1 when an entry went
// Rewrites the file in text mode as "key<sep> value" lines. The new text goes
// to "<name>.new" first and replaces the file only once completely written, so
// a failed write never costs the old content; a file that exists but cannot be
// written (read-only, a directory) is left alone. A symbolic link is written
// through: its target is replaced, with its permission bits, and the link
// stays. Returns 1 when written, else 0: the framework's own answers are 1 for
// yes (config_remove, array_save_small); only results that pass on a runtime
// status (write_palette, save_bmp) use 0 for success.
int write_config(GrowArray list, const char* name, char separator);
void free_config(GrowArray list);

// ---- typed settings (config_settings.cpp) ----
double config_get_double(GrowArray list, const char* query, double fallback);
int config_get_int(GrowArray list, const char* query);
int config_get_flag(GrowArray list, const char* query);  // first char y, t or 1
// Comma-separated values into out[0 .. min(capacity, pieces) - 1]; the piece
// count goes to *count when given. No match leaves out alone and counts 0.
void config_get_ints(GrowArray list, const char* query, int* out, unsigned capacity, unsigned* count);
void config_get_floats(GrowArray list, const char* query, float* out, unsigned capacity, unsigned* count);
void config_get_doubles(GrowArray list, const char* query, double* out, unsigned capacity, unsigned* count);
const char* config_get_nth(GrowArray list, const char* query, int n);  // n = 1: first match
int config_has(GrowArray list, const char* query);

void config_set(GrowArray* list, const char* query, const char* value);
void config_set_double(GrowArray* list, const char* key, double value);
void config_set_float(GrowArray* list, const char* key, float value);
void config_set_int(GrowArray* list, const char* key, int value);
void config_set_flag(GrowArray* list, const char* question, int flag);  // key "<question> (Y/N)"
void config_set_ints(GrowArray* list, const char* key, const int* values, unsigned count);
void config_set_floats(GrowArray* list, const char* key, const float* values, unsigned count);
void config_set_doubles(GrowArray* list, const char* key, const double* values, unsigned count);
int config_replace(GrowArray* list, const char* key, const char* value);  // 1 when replaced
// The entry config_find picks for query gets value: the one the next reading
// finds. 1 when replaced; 0, adding nothing, when none matches.
int config_replace_found(GrowArray* list, const char* query, const char* value);
void append_text(char** text, const char* suffix);  // *text: heap text or null
