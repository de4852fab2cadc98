// Pinning and restoring the pixel pack and unpack state. A caller's row
// length or skips would move GL's reads and writes past our buffers, which
// are sized for tight rows padded to 4 bytes.
#include "framework/window/pixel_store.h"

namespace {
struct StoreNames {
    GLenum alignment, row_length, skip_rows, skip_pixels;
};
const StoreNames pack_names = {GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS};
const StoreNames unpack_names = {GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS,
                                 GL_UNPACK_SKIP_PIXELS};

void set_store(const StoreNames& n, GLint alignment, GLint row_length, GLint skip_rows, GLint skip_pixels) {
    glPixelStorei(n.alignment, alignment);
    glPixelStorei(n.row_length, row_length);
    glPixelStorei(n.skip_rows, skip_rows);
    glPixelStorei(n.skip_pixels, skip_pixels);
}
}  // namespace

PixelStore pixel_store_pin(bool pack) {
    const StoreNames& n = pack ? pack_names : unpack_names;
    PixelStore saved = {pack, 4, 0, 0, 0};
    glGetIntegerv(n.alignment, &saved.alignment);
    glGetIntegerv(n.row_length, &saved.row_length);
    glGetIntegerv(n.skip_rows, &saved.skip_rows);
    glGetIntegerv(n.skip_pixels, &saved.skip_pixels);
    set_store(n, 4, 0, 0, 0);
    return saved;
}

void pixel_store_restore(const PixelStore& saved) {
    set_store(saved.pack ? pack_names : unpack_names, saved.alignment, saved.row_length, saved.skip_rows,
              saved.skip_pixels);
}
