// Screenshots: a window rectangle saved as an uncompressed 24-bit BMP file,
// optionally handed to the external converter "bmp2png" through the command
// interpreter. The header and command-line builders are pure, for tests.
#pragma once
#include <cstddef>

// The shell that the runtime's system() hands the converter's command line to.
enum BmpShell { BMP_SHELL_SH, BMP_SHELL_CMD };
#ifdef _WIN32
const int BMP_SHELL_NATIVE = BMP_SHELL_CMD;
#else
const int BMP_SHELL_NATIVE = BMP_SHELL_SH;
#endif

const int BMP_HEADER_SIZE = 54;

// Bytes per BMP row: 3 * w rounded up to a multiple of 4 (w >= 1).
long long bmp_stride(int w);

// Fills the 54-byte header of a w x h picture. False, leaving out alone, when
// w or h is not positive or the file would not fit the header's 32-bit sizes.
bool bmp_header(int w, int h, unsigned char out[BMP_HEADER_SIZE]);

// "bmp2png -9 -E \"<filename>\"" with the name quoted for `shell` so that
// nothing but the converter runs, on exactly that file. False when the name
// cannot be passed safely (cmd.exe: quotes, %, !, control characters) or the
// line does not fit in size bytes.
bool bmp_convert_command(const char* filename, int shell, char* out, size_t size);

// Reads the w x h rectangle with top-left (x, y), y downwards, of the current
// read buffer as bottom-up rows padded to 4 bytes, in format: 3 bytes a pixel
// (GL_BGR_EXT or GL_RGB), rows of bmp_stride(w) bytes, or 4 (GL_RGBA), rows of
// 4 w bytes. Rows far outside the buffer stay as they were.
void read_pixel_rows(int x, int y, int w, int h, unsigned format, unsigned char* pixels);

// Saves the rectangle with top-left (x, y), y downwards, of the current read
// buffer. Returns the command interpreter's result when a conversion ran,
// and in its convention otherwise: 0 when the file was written without one,
// -1 when nothing was run: nothing written (bad size, file not writable, no
// memory), or the file written but its name refused by the interpreter's quoting.
int save_bmp(int x, int y, int w, int h, const char* filename, int convert);

// save_bmp of the whole window (graphics.width x graphics.height).
int save_window_bmp(const char* filename, int convert);

// Saves the whole window as <prefix>_NNNNN.bmp, NNNNN advancing every 0.3 s
// of the clock, and always converts it. Result as for save_bmp.
int screenshot(const char* prefix);
