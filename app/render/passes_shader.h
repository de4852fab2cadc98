#pragma once
#include <string>

// The stability map's program with the passes themselves as the colour, for
// scales other than the program's: passes = 65536 red + 256 green + blue in bytes.
std::string passes_fragment_source();

// The passes of one pixel drawn with it (3 bytes: red, green, blue).
double passes_at(const unsigned char* rgb);
