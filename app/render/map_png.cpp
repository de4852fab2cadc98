// Map pictures with their making in text chunks (see map_png.h).
#include "app/render/map_png.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "app/version.h"
#include "framework/window/png.h"

const PngText map_png_flipped = {"flip", "+xp at the top"};

bool save_map_png(const char* filename, int w, int h, double phase_degrees, double d, int cells,
                  const ViewWindow& view, const Harmonic& second) {
    return save_figure_png(filename, w, h, phase_degrees, d, cells, view, nullptr, 0, second);
}

bool save_figure_png(const char* filename, int w, int h, double phase_degrees, double d, int cells,
                     const ViewWindow& view, const PngText* more, int more_count, const Harmonic& second) {
    std::string phase = real_text(phase_degrees), step = real_text(d), count = std::to_string(cells);
    std::string window = real_text(view.x0) + "," + real_text(view.x1) + "," + real_text(view.xp0) + "," +
                         real_text(view.xp1);
    std::string number = std::to_string(second.number), ratio = real_text(second.ratio),
                harmonic_phase = real_text(second.phase_degrees);
    std::vector<PngText> texts = {{"phase", phase.c_str()},
                                  {"d", step.c_str()},
                                  {"cells", count.c_str()},
                                  {"view", window.c_str()},
                                  {"Software", TESS_VERSION_TEXT}};
    if (harmonic_on(second))
        texts.insert(texts.end(), {{"harmonic", number.c_str()},
                                   {"ratio", ratio.c_str()},
                                   {"harmonic phase", harmonic_phase.c_str()}});
    texts.insert(texts.end(), more, more + more_count);
    return save_png(0, 0, w, h, filename, texts.data(), (int)texts.size());
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
