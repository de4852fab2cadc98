// Texture upload with the framework's own mipmap chain, cube maps built from
// a direction function, and the sky box. Byte images have rows padded to 4
// bytes; uploads and read-backs pin GL's pixel store to match.
#include "framework/draw/texture.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/platform/gl.h"
#include "framework/window/pixel_store.h"

const int texture_formats[5] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};

// Widest row accepted; keeps every offset of a level well inside size_t and int.
static const uint64_t max_row_bytes = 0x7fffffffu;

size_t image_row_stride(int components, int width) {
    if (components < 1 || components > 4 || width < 1) return 0;
    uint64_t bytes = ((uint64_t)components * (uint64_t)width + 3) / 4 * 4;
    return bytes > max_row_bytes ? 0 : (size_t)bytes;
}

int mipmap_next_level(int components, int* width, int* height, unsigned char* pixels) {
    int w = *width, h = *height;
    size_t stride = image_row_stride(components, w);
    if (!pixels || !stride || h < 1 || (w == 1 && h == 1)) return 0;
    int nw = w / 2 + (w & 1), nh = h / 2 + (h & 1);
    size_t new_stride = image_row_stride(components, nw);
    size_t c = (size_t)components;
    // Writes trail reads: row i of the new level lands at or before row 2i of
    // the old, and pixel j at or before pixel 2j, so the step is safe in place.
    for (int i = 0; i < nh; i++) {
        const unsigned char* row0 = pixels + (size_t)(2 * (int64_t)i) * stride;
        const unsigned char* row1 = 2 * (int64_t)i + 1 < h ? row0 + stride : row0;
        unsigned char* out = pixels + (size_t)i * new_stride;
        for (int j = 0; j < nw; j++) {
            size_t col0 = (size_t)(2 * (int64_t)j) * c;
            size_t col1 = 2 * (int64_t)j + 1 < w ? col0 + c : col0;
            for (size_t k = 0; k < c; k++)
                out[j * c + k] = (unsigned char)((row0[col0 + k] + row0[col1 + k] + row1[col0 + k] +
                                                  row1[col1 + k] + 2) >> 2);
        }
    }
    *width = nw;
    *height = nh;
    return 1;
}

void build_mipmaps(int target, int components, int format, int width, int height, unsigned char* pixels) {
    PixelStore saved = pixel_store_pin(false);
    for (int level = 1; mipmap_next_level(components, &width, &height, pixels); level++)
        glTexImage2D((GLenum)target, level, components, width, height, 0, (GLenum)format, GL_UNSIGNED_BYTE,
                     pixels);
    pixel_store_restore(saved);
}

void upload_texture(int target, int components, int width, int height, unsigned char* pixels) {
    if (components < 1 || components > 4) return;  // no pixel format to name
    PixelStore saved = pixel_store_pin(false);
    glTexImage2D((GLenum)target, 0, components, width, height, 0, (GLenum)texture_formats[components],
                 GL_UNSIGNED_BYTE, pixels);
    pixel_store_restore(saved);
    build_mipmaps(target, components, texture_formats[components], width, height, pixels);
}

void upload_cube_map(int components, int size, unsigned char* px, unsigned char* nx, unsigned char* py,
                     unsigned char* ny, unsigned char* pz, unsigned char* nz) {
    unsigned char* faces[6] = {px, nx, py, ny, pz, nz};
    for (int f = 0; f < 6; f++)
        upload_texture(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, components, size, size, faces[f]);
}

void rebuild_mipmaps() {
    GLint width = 0, height = 0, internal = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    int count = 0;
    for (int c = 1; c <= 4 && !count; c++)
        if (texture_formats[c] == internal) count = c;
    if (!count) count = internal >= 1 && internal <= 4 ? internal : 3;  // legacy 1-4, else RGB
    size_t stride = image_row_stride(count, width);
    if (!stride || height < 1 || (uint64_t)height > SIZE_MAX / stride) return;
    unsigned char* pixels = (unsigned char*)malloc(stride * (size_t)height);
    if (!pixels) return;
    PixelStore saved = pixel_store_pin(true);
    glGetTexImage(GL_TEXTURE_2D, 0, (GLenum)texture_formats[count], GL_UNSIGNED_BYTE, pixels);
    pixel_store_restore(saved);
    build_mipmaps(GL_TEXTURE_2D, count, texture_formats[count], width, height, pixels);
    free(pixels);
}

// Faces in buffer order +Z, -Z, +Y, -Y, +X, -X: the order the direction
// function is called in. Texture faces go +X, -X, +Y, -Y, +Z, -Z.
static void cube_directions(double s, double t, double dirs[6][3]) {
    double w = 1 / sqrt(s * s + t * t + 1), S = s * w, T = t * w;
    const double d[6][3] = {{S, -T, w}, {-S, -T, -w}, {S, w, T}, {S, -w, -T}, {w, -T, -S}, {-w, -T, S}};
    memcpy(dirs, d, sizeof d);
}

unsigned make_cube_map(CubeDirectionFn fn, unsigned size, unsigned samples) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    // Rows padded to 4 bytes so that the upload and build_mipmaps read them
    // right whatever the size (unpadded rows agree only for multiples of 4).
    size_t stride = size <= 0x7fffffffu ? image_row_stride(3, (int)size) : 0;
    unsigned char* call_faces[6] = {};  // call order: +Z, -Z, +Y, -Y, +X, -X
    bool ok = stride && fn && size <= SIZE_MAX / stride;
    for (int f = 0; f < 6 && ok; f++) ok = (call_faces[f] = (unsigned char*)calloc(size, stride)) != nullptr;
    if (ok) {
        double half = size * 0.5;
        uint64_t m = samples, mm = m * m;
        for (int64_t j = (int64_t)size - 1; j >= 0; j--)
            for (int64_t i = (int64_t)size - 1; i >= 0; i--) {
                size_t at = (size_t)j * stride + (size_t)i * 3;
                double dirs[6][3];
                if (samples <= 1) {
                    cube_directions((i + 0.5 - half) / half, (j + 0.5 - half) / half, dirs);
                    for (int f = 0; f < 6; f++) fn(dirs[f][0], dirs[f][1], dirs[f][2], call_faces[f] + at);
                    continue;
                }
                // m*m sub-samples on a rotated grid: each in its own column and row.
                double sum[18] = {};
                for (uint64_t n = mm; n-- > 0;) {
                    uint64_t q = n / m, r = n % m;
                    double s = ((n + 0.5) / mm + (i - half)) / half;
                    double t = ((m * r + (m - 1 - q) + 0.5) / mm + (j - half)) / half;
                    cube_directions(s, t, dirs);
                    unsigned char scratch[18] = {};
                    for (int f = 0; f < 6; f++) fn(dirs[f][0], dirs[f][1], dirs[f][2], scratch + 3 * f);
                    for (int b = 0; b < 18; b++) sum[b] += scratch[b];
                }
                double scale = 1.0 / mm;
                for (int b = 0; b < 18; b++) call_faces[b / 3][at + b % 3] = (unsigned char)(int)(sum[b] * scale);
            }
        static const int upload_order[6] = {4, 5, 2, 3, 0, 1};  // +X, -X, +Y, -Y, +Z, -Z
        for (int f = 0; f < 6; f++) {
            upload_texture(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 3, (int)size, (int)size, call_faces[upload_order[f]]);
        }
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    for (int f = 0; f < 6; f++) free(call_faces[f]);
    return texture;
}

void draw_sky_box(int texture) {
    static const signed char faces[6][4][3] = {
        {{1, 1, 1}, {1, 1, -1}, {1, -1, -1}, {1, -1, 1}},          // +X
        {{1, 1, 1}, {1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}},          // +Y
        {{1, 1, 1}, {1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}},          // +Z
        {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},      // -X
        {{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},      // -Y
        {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},      // -Z
    };
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glPushMatrix();
    glLoadIdentity();  // centred on the eye, aligned with eye space
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, (GLuint)texture);
    glBegin(GL_QUADS);
    glColor3f(1, 1, 1);
    for (int f = 0; f < 6; f++)
        for (int v = 0; v < 4; v++) {
            const signed char* p = faces[f][v];
            glTexCoord3f(p[0], p[1], p[2]);
            glVertex3f(p[0], p[1], p[2]);
        }
    glEnd();
    glClear(GL_DEPTH_BUFFER_BIT);  // everything drawn later lies in front of the sky
    glPopMatrix();
    glPopAttrib();
}
