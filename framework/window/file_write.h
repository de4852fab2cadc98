// Writing a file whole or not at all: a reader never finds half a picture or
// half a table under the name, and a failed write leaves the old file alone.
#pragma once
#include <cstddef>

// Writes size bytes to a temporary in the same folder ("<filename>.tmp", or
// "<filename>.N.tmp" when a file of that name is already there) and renames
// that over filename. False, with no temporary left behind and filename untouched,
// when the name is empty or any step fails.
bool write_file_whole(const char* filename, const void* data, size_t size);
