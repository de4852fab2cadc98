// PNG encoding and whole-file writes: pictures decoded again by stb_image,
// every chunk's CRC checked with a bit-by-bit CRC-32 of our own, the text
// chunks read back, and files that are replaced, refused or never half written.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/window/file_write.h"
#include "framework/window/png.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include "stb_image.h"

namespace fs = std::filesystem;

namespace {

uint32_t crc32_bitwise(const unsigned char* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; i++) {
        c ^= p[i];
        for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

uint32_t be32(const unsigned char* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

struct Chunk {
    std::string type;
    std::string data;
};

// The chunks after the signature; fails the test on a bad CRC or a chunk running past the end.
std::vector<Chunk> chunks(const unsigned char* png, size_t size) {
    std::vector<Chunk> out;
    EXPECT_EQ(memcmp(png, "\x89PNG\r\n\x1a\n", 8), 0);
    size_t at = 8;
    while (at + 12 <= size) {
        uint32_t length = be32(png + at);
        if (length > size - at - 12) {
            ADD_FAILURE() << "chunk runs past the end at " << at;
            break;
        }
        Chunk c{std::string((const char*)png + at + 4, 4), std::string((const char*)png + at + 8, length)};
        EXPECT_EQ(be32(png + at + 8 + length), crc32_bitwise(png + at + 4, 4 + length)) << c.type << " at " << at;
        out.push_back(c);
        at += 12 + length;
    }
    EXPECT_EQ(at, size);
    return out;
}

// A w x h picture, every pixel different, with rows `stride` bytes apart (padding 0xEE).
std::vector<unsigned char> pattern(int w, int h, int stride) {
    std::vector<unsigned char> p((size_t)stride * h, 0xEE);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            unsigned char* px = &p[(size_t)y * stride + 3 * x];
            px[0] = (unsigned char)(x * 7);
            px[1] = (unsigned char)(y * 11);
            px[2] = (unsigned char)(x ^ y);
        }
    return p;
}

TEST(PngEncode, DecodesToTheSamePixelsEitherRowOrder) {
    const int w = 37, h = 23, stride = 3 * w + 5;
    std::vector<unsigned char> rows = pattern(w, h, stride);
    for (bool bottom_up : {false, true}) {
        size_t size = 0;
        unsigned char* png = png_encode(rows.data(), w, h, stride, bottom_up, nullptr, 0, &size);
        ASSERT_NE(png, nullptr);
        int dw = 0, dh = 0, comp = 0;
        unsigned char* decoded = stbi_load_from_memory(png, (int)size, &dw, &dh, &comp, 3);
        ASSERT_NE(decoded, nullptr) << stbi_failure_reason();
        EXPECT_EQ(dw, w);
        EXPECT_EQ(dh, h);
        EXPECT_EQ(comp, 3);
        for (int y = 0; y < h; y++) {
            int source = bottom_up ? h - 1 - y : y;
            ASSERT_EQ(memcmp(decoded + (size_t)y * 3 * w, &rows[(size_t)source * stride], 3 * w), 0) << "row " << y;
        }
        stbi_image_free(decoded);
        free(png);
    }
}

TEST(PngEncode, TextChunksFollowTheHeaderWithCorrectCrcs) {
    const int w = 5, h = 3;
    std::vector<unsigned char> rows = pattern(w, h, 3 * w);
    const std::string long_text(5000, 'z');
    const PngText texts[] = {{"phase", "-30"}, {"view", "0,6.283185307179586,-3,3"}, {"Software", "tessaline 9"},
                             {"G\xf6\xdf" "e im Text", long_text.c_str()}, {"empty", ""}};
    size_t size = 0;
    unsigned char* png = png_encode(rows.data(), w, h, 3 * w, false, texts, 5, &size);
    ASSERT_NE(png, nullptr);
    std::vector<Chunk> list = chunks(png, size);
    ASSERT_GE(list.size(), 8u);
    EXPECT_EQ(list[0].type, "IHDR");
    EXPECT_EQ(be32((const unsigned char*)list[0].data.data()), (uint32_t)w);
    EXPECT_EQ(be32((const unsigned char*)list[0].data.data() + 4), (uint32_t)h);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(list[1 + i].type, "tEXt");
        EXPECT_EQ(list[1 + i].data, std::string(texts[i].keyword) + '\0' + texts[i].text);
    }
    EXPECT_EQ(list[6].type, "IDAT");
    EXPECT_EQ(list.back().type, "IEND");
    // A decoder that knows nothing of the texts still reads the picture.
    int dw = 0, dh = 0, comp = 0;
    unsigned char* decoded = stbi_load_from_memory(png, (int)size, &dw, &dh, &comp, 3);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(memcmp(decoded, rows.data(), rows.size()), 0);
    stbi_image_free(decoded);
    free(png);
}

TEST(PngEncode, RefusesBadKeywordsAndSizes) {
    unsigned char pixel[4] = {1, 2, 3, 0};
    size_t size = 12345;
    const std::string too_long(80, 'k');
    for (const char* keyword : {"", " lead", "trail ", "two  blanks", "tab\there", "del\x7f", "c1\x85", too_long.c_str()}) {
        PngText t = {keyword, "x"};
        EXPECT_EQ(png_encode(pixel, 1, 1, 3, false, &t, 1, &size), nullptr) << keyword;
    }
    PngText no_text = {"key", nullptr};
    EXPECT_EQ(png_encode(pixel, 1, 1, 3, false, &no_text, 1, &size), nullptr);
    EXPECT_EQ(png_encode(pixel, 0, 1, 3, false, nullptr, 0, &size), nullptr);
    EXPECT_EQ(png_encode(pixel, 1, 0, 3, false, nullptr, 0, &size), nullptr);
    EXPECT_EQ(png_encode(pixel, 2, 1, 5, false, nullptr, 0, &size), nullptr);  // stride shorter than a row
    // Too big for the encoder's int sizes: refused before anything is read.
    EXPECT_EQ(png_encode(pixel, 65535, 65535, 3 * 65535, false, nullptr, 0, &size), nullptr);
    EXPECT_EQ(size, 12345u);
}

class WholeFile : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tess_png_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    static std::string bytes_of(const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    // Names in the folder, to see that no temporary is left behind.
    std::vector<std::string> listing() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        return names;
    }
};

TEST_F(WholeFile, WritesAndReplaces) {
    std::string target = (dir / "out.png").string();
    EXPECT_TRUE(write_file_whole(target.c_str(), "first version", 13));
    EXPECT_EQ(bytes_of(target), "first version");
    EXPECT_TRUE(write_file_whole(target.c_str(), "new", 3));
    EXPECT_EQ(bytes_of(target), "new");
    EXPECT_TRUE(write_file_whole(target.c_str(), "", 0));
    EXPECT_EQ(bytes_of(target), "");
    EXPECT_EQ(listing(), std::vector<std::string>{"out.png"});
}

TEST_F(WholeFile, FailuresLeaveNothingBehind) {
    std::string missing = (dir / "no" / "such" / "out.png").string();
    EXPECT_FALSE(write_file_whole(missing.c_str(), "x", 1));
    EXPECT_TRUE(listing().empty());
    // A folder in the way: the temporary is written, the rename refused and the temporary removed.
    fs::create_directories(dir / "taken" / "inside");
    std::string taken = (dir / "taken").string();
    EXPECT_FALSE(write_file_whole(taken.c_str(), "x", 1));
    EXPECT_TRUE(fs::is_directory(dir / "taken" / "inside"));
    EXPECT_EQ(listing(), std::vector<std::string>{"taken"});
    EXPECT_FALSE(write_file_whole("", "x", 1));
    EXPECT_FALSE(write_file_whole(nullptr, "x", 1));
}

}  // namespace
