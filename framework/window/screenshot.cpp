// Screenshots as 24-bit BMP files read back from the GL read buffer, and the
// converter's command line. Sizes are checked before anything is allocated or
// written, and names before anything is run.
#include "framework/window/screenshot.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/platform/gl.h"
#include "framework/window/clock.h"
#include "framework/window/graphics.h"
#include "framework/window/pixel_store.h"

static const char CONVERT_PREFIX[] = "bmp2png -9 -E \"";

// Keeps both 32-bit size fields positive: some readers take them as signed.
static const long long BMP_MAX_FILE_SIZE = 0x7FFFFFFFLL;

static void put_u16(unsigned char* p, unsigned v) {
    p[0] = (unsigned char)(v & 0xFF);
    p[1] = (unsigned char)(v >> 8 & 0xFF);
}

static void put_u32(unsigned char* p, unsigned long v) {
    for (int i = 0; i < 4; i++) p[i] = (unsigned char)(v >> (8 * i) & 0xFF);
}

long long bmp_stride(int w) { return ((long long)w * 3 + 3) / 4 * 4; }

bool bmp_header(int w, int h, unsigned char out[BMP_HEADER_SIZE]) {
    if (w <= 0 || h <= 0) return false;
    // Divide before multiplying: stride * h of two large sides passes 2^63.
    long long stride = bmp_stride(w);
    if (stride > (BMP_MAX_FILE_SIZE - BMP_HEADER_SIZE) / h) return false;
    long long image = stride * h;
    memset(out, 0, BMP_HEADER_SIZE);
    out[0] = 'B';
    out[1] = 'M';
    put_u32(out + 2, (unsigned long)(BMP_HEADER_SIZE + image));
    put_u32(out + 10, BMP_HEADER_SIZE);
    put_u32(out + 14, 40);
    put_u32(out + 18, (unsigned long)w);
    put_u32(out + 22, (unsigned long)h);
    put_u16(out + 26, 1);
    put_u16(out + 28, 24);
    put_u32(out + 34, (unsigned long)image);
    put_u32(out + 38, 2834);
    put_u32(out + 42, 2834);
    return true;
}

static bool append(char* out, size_t size, size_t* len, char c) {
    if (*len + 1 >= size) return false;  // keep room for the terminator
    out[(*len)++] = c;
    return true;
}

// cmd.exe expands %VAR% even inside quotes, and !VAR! when delayed expansion is
// on; a quote would end the quoted name and a line break the command.
static bool cmd_refuses(unsigned char c) { return c < 0x20 || c == 0x7F || c == '"' || c == '%' || c == '!'; }

// Inside double quotes /bin/sh still gives $ ` " \ a meaning; a backslash
// before each makes it literal.
static bool sh_needs_escape(char c) { return c == '$' || c == '`' || c == '"' || c == '\\'; }

bool bmp_convert_command(const char* filename, int shell, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    if (!filename || !filename[0]) return false;
    bool cmd = shell == BMP_SHELL_CMD;
    if (cmd)
        for (const char* p = filename; *p; p++)
            if (cmd_refuses((unsigned char)*p)) return false;
    size_t len = 0;
    for (const char* p = CONVERT_PREFIX; *p; p++)
        if (!append(out, size, &len, *p)) return false;
    // A leading '-' would make the converter read the name as an option.
    if (filename[0] == '-') {
        if (!append(out, size, &len, '.') || !append(out, size, &len, cmd ? '\\' : '/')) return false;
    }
    for (const char* p = filename; *p; p++) {
        if (!cmd && sh_needs_escape(*p) && !append(out, size, &len, '\\')) return false;
        if (!append(out, size, &len, *p)) return false;
    }
    if (!append(out, size, &len, '"')) return false;
    out[len] = '\0';
    return true;
}

// The pack state is pinned to what the stride assumes (a caller's alignment of
// 8 or a row length would make GL write past the buffer) and put back afterwards.
void read_pixel_rows(int x, int y, int w, int h, unsigned format, unsigned char* pixels) {
    long long gl_y = (long long)graphics.height - ((long long)y + h);
    if (gl_y < -0x7FFFFFFFLL || gl_y > 0x7FFFFFFFLL) return;  // far outside: leave the zeros
    PixelStore saved = pixel_store_pin(true);
    glReadPixels(x, (GLint)gl_y, w, h, (GLenum)format, GL_UNSIGNED_BYTE, pixels);
    pixel_store_restore(saved);
}

// A file that could not be written completely is removed rather than left
// behind looking like a screenshot.
static bool write_file(const char* filename, const unsigned char* header, const unsigned char* pixels,
                       size_t bytes) {
    FILE* f = fopen(filename, "wb");
    if (!f) return false;
    bool ok = fwrite(header, 1, BMP_HEADER_SIZE, f) == (size_t)BMP_HEADER_SIZE;
    ok = ok && fwrite(pixels, 1, bytes, f) == bytes;
    if (fclose(f) != 0) ok = false;
    if (!ok) remove(filename);
    return ok;
}

int save_bmp(int x, int y, int w, int h, const char* filename, int convert) {
    unsigned char header[BMP_HEADER_SIZE];
    if (!filename || !bmp_header(w, h, header)) return -1;
    size_t bytes = (size_t)(bmp_stride(w) * h);
    unsigned char* pixels = (unsigned char*)calloc(bytes, 1);  // zeros: the row padding
    if (!pixels) return -1;
    read_pixel_rows(x, y, w, h, GL_BGR_EXT, pixels);
    bool written = write_file(filename, header, pixels, bytes);
    free(pixels);
    if (!written) return -1;
    if (!convert) return 0;
    // A name the interpreter cannot be given safely still has its picture;
    // only the conversion is refused.
    // Escaping at most doubles the name; "./", the closing quote and the terminator fit in the slack.
    size_t size = strlen(filename) * 2 + sizeof CONVERT_PREFIX + 8;
    char* command = (char*)malloc(size);
    if (!command || !bmp_convert_command(filename, BMP_SHELL_NATIVE, command, size)) {
        free(command);
        return -1;
    }
    fflush(nullptr);  // keep our buffered output ahead of the converter's
    int result = system(command);
    free(command);
    return result;
}

int save_window_bmp(const char* filename, int convert) {
    return save_bmp(0, 0, graphics.width, graphics.height, filename, convert);
}

int screenshot(const char* prefix) {
    if (!prefix) return -1;
    // 10/3 per second: the number moves on every 0.3 s. Out-of-range or NaN
    // readings would make the conversion undefined; they count as 0.
    double t = timer() * 3.3333333333333335;
    long long n = t > -9e18 && t < 9e18 ? (long long)t : 0;
    int number = (int)(n % 100000);
    size_t size = strlen(prefix) + 16;  // "_", at most six characters, ".bmp", terminator
    char* name = (char*)malloc(size);
    if (!name) return -1;
    snprintf(name, size, "%s_%05d.bmp", prefix, number);
    int result = save_bmp(0, 0, graphics.width, graphics.height, name, 1);
    free(name);
    return result;
}
