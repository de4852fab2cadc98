// The bucket counted on the drawn map (see map_count.h).
#include "app/render/map_count.h"

#include <algorithm>
#include <vector>

#include "app/model/view_window.h"
#include "app/render/map_view.h"
#include "framework/window/pixel_store.h"

GLuint map_count_program = 0;

long long map_count_run(BucketCount* c, long long passes) {
    const int w = c->w, h = c->h;
    if (bucket_count_done(*c)) return 0;
    int row = (int)(c->next / w);
    double per_row = (double)w * ((double)c->maxit + 2);
    int rows = (int)std::min<double>(h - row, std::max(1.0, (double)passes / per_row));
    // Rows from the top, as BucketCount keeps them; GL counts from the bottom.
    int gl_y = h - row - rows;
    glPushAttrib(GL_SCISSOR_BIT | GL_ENABLE_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, gl_y, w, rows);
    MapInputs in = {c->d, c->phase, c->maxit, view_full(), w, h, c->second};
    draw_map_target(map_count_program, in, w, h);
    glPopAttrib();
    std::vector<unsigned char> rgba((size_t)w * rows * 4);
    PixelStore saved = pixel_store_pin(true);
    glReadPixels(0, gl_y, w, rows, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    pixel_store_restore(saved);
    for (int r = 0; r < rows; r++) {
        const unsigned char* p = rgba.data() + (size_t)(rows - 1 - r) * w * 4;  // read back bottom row first
        for (int col = 0; col < w; col++, p += 4) {
            bool survived = (p[0] | p[1] | p[2]) == 0;
            c->survivors += survived;
            if (col == c->centre_col) c->centre[row + r] = survived;
        }
    }
    c->next += (long long)rows * w;
    return (long long)(rows * per_row);
}
