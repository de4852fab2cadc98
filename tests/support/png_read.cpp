// PNG decoding for tests (see png_read.h).
#include "tests/support/png_read.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include "stb_image.h"

static TestPicture taken(unsigned char* pixels, int w, int h) {
    TestPicture p;
    if (!pixels) {
        p.error = stbi_failure_reason();
        return p;
    }
    p.w = w;
    p.h = h;
    p.rgb.assign(pixels, pixels + (size_t)w * h * 3);
    stbi_image_free(pixels);
    return p;
}

TestPicture test_png_decode(const uint8_t* data, size_t size) {
    int w = 0, h = 0, comp = 0;
    unsigned char* pixels = stbi_load_from_memory(data, (int)size, &w, &h, &comp, 3);
    return taken(pixels, w, h);
}

TestPicture test_png_read(const std::string& path) {
    int w = 0, h = 0, comp = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &comp, 3);
    return taken(pixels, w, h);
}
