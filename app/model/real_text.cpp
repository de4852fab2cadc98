#include "app/model/real_text.h"

#include <charconv>
#include <cmath>

std::string real_text(double v) {
    if (std::isnan(v)) return "nan";
    char buf[64];
    std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}
