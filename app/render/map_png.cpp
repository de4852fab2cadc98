// Map pictures with their making in text chunks (see map_png.h).
#include "app/render/map_png.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "app/version.h"
#include "framework/window/png.h"

std::string real_text(double v) {
    if (std::isnan(v)) return "nan";
    char buf[64];
    std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

bool save_map_png(const char* filename, int w, int h, double phase_degrees, double d, int cells,
                  const ViewWindow& view, const Harmonic& second) {
    std::string phase = real_text(phase_degrees), step = real_text(d), count = std::to_string(cells);
    std::string window = real_text(view.x0) + "," + real_text(view.x1) + "," + real_text(view.xp0) + "," +
                         real_text(view.xp1);
    std::string number = std::to_string(second.number), ratio = real_text(second.ratio),
                harmonic_phase = real_text(second.phase_degrees);
    const PngText texts[] = {{"phase", phase.c_str()},
                             {"d", step.c_str()},
                             {"cells", count.c_str()},
                             {"view", window.c_str()},
                             {"Software", TESS_VERSION_TEXT},
                             {"harmonic", number.c_str()},
                             {"ratio", ratio.c_str()},
                             {"harmonic phase", harmonic_phase.c_str()}};
    return save_png(0, 0, w, h, filename, texts, harmonic_on(second) ? 8 : 5);
}

int next_picture_name(int from, char* name, size_t size) {
    for (int n = from < 1 ? 1 : from; n <= 99999; n++) {
        int length = snprintf(name, size, "tessaline-%04d.png", n);
        if (length < 0 || (size_t)length >= size) return 0;
        // Anything by that name is taken: a folder, or a file we may not read.
        errno = 0;
        FILE* f = fopen(name, "rb");
        if (f) fclose(f);
        else if (errno == ENOENT) return n;
    }
    return 0;
}
