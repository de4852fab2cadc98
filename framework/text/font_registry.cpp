// The font registry: every Font (loaded, variant or placeholder) lives here
// until deleted; selection of the current font and its three metric bytes.
// Relies on GrowArray for the registry and on a current GL context for textures.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "framework/core/memory.h"
#include "framework/core/numbers.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/window/pixel_store.h"

const FontStyle default_style = {nullptr, 1.0f, 1.0f, 0.0f, 0.0f, 0, 0};
uint8_t font_cell_width;
uint8_t font_line_height;
uint8_t font_max_width;
Font* current_font;
Font** fonts;
GrowArray font_registry;
FontStyle current_style = default_style;

static bool same_name(const char* name, const char* s, size_t n) {
    if (!name || strlen(name) != n) return false;
    for (size_t i = 0; i < n; i++)
        if (tolower((unsigned char)name[i]) != tolower((unsigned char)s[i])) return false;
    return true;
}

// Low 8 bits of trunc(v). Values no integer type holds wrap to 0, as the
// x86 conversion does, instead of being undefined.
static uint8_t low_byte(float v) {
    double d = v;
    if (!(d > -9.0e18 && d < 9.0e18)) return 0;
    return (uint8_t)((uint64_t)(int64_t)d & 255u);
}

void font_registry_init() {
    if (fonts) return;
    font_registry = array_make((int)sizeof(Font*));
    array_set_alias(&font_registry, (void**)&fonts);
}

static uint32_t font_count() { return fonts ? font_registry.count : 0; }

Font* font_find(const char* spec) {
    if (!spec) return nullptr;
    size_t n = strcspn(spec, ":");
    for (uint32_t i = 0; i < font_count(); i++)
        if (same_name(fonts[i]->name, spec, n)) return fonts[i];
    return nullptr;
}

int font_exists(const char* spec) { return font_find(spec) ? 1 : 0; }

void font_set_name(Font* f, const char* name) {
    if (!f) return;
    char* c = heap_copy(name);  // copied first: name may be f's own
    free(f->name);
    f->name = c;
}

void font_refresh_metrics(Font* f) {
    if (!f) return;
    int widest = 0;
    for (int k = 0; k < 512; k++)
        if (f->glyph_width[k] > widest) widest = f->glyph_width[k];
    f->max_width = (uint8_t)widest;
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, f->texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    f->texture_width = w;
    f->texture_height = h;
    f->cell_width = (uint8_t)(f->glyph_width[67] + 1);
}

Font* font_duplicate(Font* f) {
    if (!f) return nullptr;
    Font* d = (Font*)heap_alloc(sizeof(Font));
    *d = *f;
    d->name = heap_copy(f->name);
    font_registry_init();
    array_append(&font_registry, &d);
    return d;
}

void font_select(Font* f) {
    if (!f || f == current_font) return;
    current_font = f;
    current_style = f->style;
    const Font* b = f->style.base ? f->style.base : f;
    font_cell_width = low_byte((float)b->cell_width * f->style.x_scale);
    font_line_height = low_byte((float)b->max_height * f->style.y_scale);
    font_max_width = low_byte((float)b->max_width * f->style.x_scale);
}

// Takes f out of the registry without releasing it: its texture goes when no
// other registered record shares it, and a current f is replaced at random.
static void font_unregister(Font* f) {
    bool shared = false;
    for (uint32_t i = 0; i < font_count(); i++)
        if (fonts[i] != f && fonts[i]->texture == f->texture) shared = true;
    if (!shared) glDeleteTextures(1, &f->texture);
    for (uint32_t i = font_count(); i-- > 0;) {
        if (fonts[i] == f) {
            array_remove_swap(&font_registry, i);
            break;
        }
    }
    if (f != current_font) return;
    current_font = nullptr;
    if (font_count() == 0) {
        // Nothing is current; a style naming the released base must not linger.
        current_style = default_style;
        return;
    }
    font_select(fonts[random_index((int)font_count())]);
}

static void font_release(Font* f) {
    free(f->name);
    free(f);
}

static bool in_list(Font* const* list, uint32_t n, const Font* f) {
    for (uint32_t i = 0; i < n; i++)
        if (list[i] == f) return true;
    return false;
}

// Deletes the fonts whose base is b (and b itself when include_self), walking
// the registry from the last entry to the first. Records are released only at
// the end, so a font reselected on the way never reads a released base; fonts
// whose base is one of the deleted ones go too, so none is left dangling.
static void font_delete_users(Font* b, bool include_self) {
    GrowArray gone = array_make((int)sizeof(Font*));
    for (uint32_t i = font_count(); i-- > 0;) {
        if (i >= font_count()) continue;
        Font* g = fonts[i];
        if (g->style.base != b && !(include_self && g == b)) continue;
        font_unregister(g);
        array_append(&gone, &g);
    }
    if (include_self && !in_list((Font**)gone.data, gone.count, b)) {
        font_unregister(b);  // b was not registered: released all the same
        array_append(&gone, &b);
    }
    for (bool found = true; found;) {
        found = false;
        for (uint32_t i = font_count(); i-- > 0;) {
            Font* g = fonts[i];
            if (!in_list((Font**)gone.data, gone.count, g->style.base)) continue;
            font_unregister(g);
            array_append(&gone, &g);
            found = true;
            break;
        }
    }
    for (uint32_t i = 0; i < gone.count; i++) font_release(((Font**)gone.data)[i]);
    array_free(gone);
}

void font_delete(Font* f) {
    if (!f) return;
    for (uint32_t i = 0; i < font_count(); i++) {
        if (fonts[i] != f && fonts[i]->style.base == f) {
            // A base still in use: its variants go with it rather than keep a
            // pointer to a released record.
            font_delete_users(f, true);
            return;
        }
    }
    font_unregister(f);
    font_release(f);
}

void font_delete_family(Font* f) {
    if (f) font_delete_users(f, true);
}

void font_delete_based_on(Font* b) {
    if (b) font_delete_users(b, false);
}

Font* font_create_empty(const char* name) {
    font_registry_init();
    char* s = heap_copy(name);  // name may belong to a font deleted below
    for (;;) {
        Font* same = nullptr;
        for (uint32_t i = font_count(); i-- > 0 && !same;)
            if (same_name(fonts[i]->name, s, strlen(s))) same = fonts[i];
        if (!same) break;
        font_delete(same);
    }
    Font* f = (Font*)heap_alloc_zeroed(1, sizeof(Font));
    f->name = s;
    f->style = default_style;
    f->style.base = f;  // a base of its own, so styles can be built on it
    f->style.own_glyph_count = 512;
    f->max_height = 1;
    array_append(&font_registry, &f);

    glGenTextures(1, &f->texture);
    glBindTexture(GL_TEXTURE_2D, f->texture);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    f->texture_width = 1;
    const unsigned char texel[4] = {1, 1, 1, 0};
    PixelStore saved = pixel_store_pin(false);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    pixel_store_restore(saved);
    for (int k = 0; k < 512; k++) {
        f->glyph_x[k] = 0;
        f->glyph_width[k] = 1;
    }
    font_refresh_metrics(f);
    return f;
}

uint32_t font_memory_estimate() {
    uint64_t total = (uint64_t)(uint32_t)font_registry.element_size * font_registry.capacity + sizeof(GrowArray);
    for (uint32_t i = 0; i < font_count(); i++) {
        const Font* f = fonts[i];
        total += sizeof(Font) + (f->name ? strlen(f->name) : 0) + 4ull * f->max_height * (uint32_t)f->texture_width;
    }
    return (uint32_t)total;
}
