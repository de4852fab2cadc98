// A real window and GL context for the tests of one executable: opened once,
// windowed, at a fixed size; the GL renderer and version are printed first.
#pragma once
#include <cstdint>
#include <vector>

// Opens the window (once per process) with a client area of w x h pixels.
void test_window_open(int w = 640, int h = 480);

// RGB bytes of the rectangle at window pixel (x, y), y downwards, rows top first.
std::vector<uint8_t> test_read_pixels(int x, int y, int w, int h);

// The pixel at window pixel (x, y) of the back buffer as 0xRRGGBB.
uint32_t test_pixel(int x, int y);

// The w x h pixels at the window's top-left as 0xRRGGBB, rows top first.
std::vector<uint32_t> test_read_picture(int w, int h);

// RGB bytes, three a pixel, as 0xRRGGBB pixels.
std::vector<uint32_t> pack_rgb(const std::vector<uint8_t>& rgb);

// Clears the back buffer's colour to 0xRRGGBB, and its depth; the clear colour
// goes back to black.
void test_clear(uint32_t rgb);

// Sets both pixel stores, pack and unpack, to a caller's state far from GL's
// defaults (alignment 8, rows of 4096 pixels, 64 rows and 3 pixels skipped):
// a read-back or upload that does not pin its own state would write or read
// megabytes away from its buffer.
void test_scramble_pixel_store();

// True when both stores still hold that state; GL's defaults are put back either way.
bool test_pixel_store_kept();
