// Numbers as text that reads back exactly: PNG chunks, CSV rows and figures share it.
#pragma once
#include <string>

// Shortest text that reads back as the same double; "nan" for any NaN.
std::string real_text(double v);
