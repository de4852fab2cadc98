// Byte images as OpenGL textures with a mipmap chain built here (in place,
// integer box filter), cube maps made from a function of direction, and the
// sky box that draws one. Rows are padded to 4 bytes (GL's default alignment).
#pragma once
#include <cstddef>

// Pixel format by component count: 0 none, 1 luminance, 2 luminance-alpha, 3 RGB, 4 RGBA.
extern const int texture_formats[5];

// Writes red, green, blue (0-255) for the unit direction (x, y, z) into rgb[0..2].
typedef void (*CubeDirectionFn)(double x, double y, double z, unsigned char* rgb);

// Bytes per row of a byte image: components * width rounded up to 4; 0 when
// the arguments are out of range (components 1-4, width 1 or more).
size_t image_row_stride(int components, int width);

// One step of the mipmap chain, in place: the level of *width x *height at the
// front of pixels is replaced by the next, half as large (rounded up), and the
// new size is stored back. An odd or unit dimension repeats its last row or
// column, so nothing outside the level's image is read. Returns 0 when there
// is no next level (1 x 1 or invalid arguments).
int mipmap_next_level(int components, int* width, int* height, unsigned char* pixels);

// Uploads levels 1, 2, ... of target from the level-0 image in pixels
// (overwritten). Level 0 itself is not uploaded.
void build_mipmaps(int target, int components, int format, int width, int height, unsigned char* pixels);
void upload_texture(int target, int components, int width, int height, unsigned char* pixels);
void upload_cube_map(int components, int size, unsigned char* px, unsigned char* nx, unsigned char* py,
                     unsigned char* ny, unsigned char* pz, unsigned char* nz);
void rebuild_mipmaps();  // the texture bound to GL_TEXTURE_2D, from its level 0
unsigned make_cube_map(CubeDirectionFn fn, unsigned size, unsigned samples);
void draw_sky_box(int texture);
