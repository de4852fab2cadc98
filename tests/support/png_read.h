// PNG files and bytes decoded for tests by stb_image (Debian's libstb-dev),
// whose implementation is compiled here once for every test.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A decoded picture as RGB bytes, rows top first; no pixels, and stb_image's
// reason in error, when it could not be decoded.
struct TestPicture {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    std::string error;
};

TestPicture test_png_decode(const uint8_t* data, size_t size);
TestPicture test_png_read(const std::string& path);
