// PNG encoding and whole-file writes: pictures decoded again by stb_image,
// every chunk's CRC checked with a bit-by-bit CRC-32 of our own, and files
// that are replaced, refused or never half written.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/window/file_write.h"
#include "framework/window/png.h"
#include "tests/support/files.h"
#include "tests/support/png_read.h"

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

uint32_t be32(const unsigned char* p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }

// Type and data of each chunk after the signature; a bad CRC fails the test.
std::vector<std::pair<std::string, std::string>> chunks(const unsigned char* png, size_t size) {
    std::vector<std::pair<std::string, std::string>> out;
    EXPECT_EQ(memcmp(png, "\x89PNG\r\n\x1a\n", 8), 0);
    size_t at = 8;
    while (at + 12 <= size && be32(png + at) <= size - at - 12) {
        uint32_t n = be32(png + at);
        EXPECT_EQ(be32(png + at + 8 + n), crc32_bitwise(png + at + 4, 4 + n)) << "chunk at " << at;
        out.emplace_back(std::string((const char*)png + at + 4, 4), std::string((const char*)png + at + 8, n));
        at += 12 + n;
    }
    EXPECT_EQ(at, size);
    return out;
}

TEST(PngEncode, PixelsInEitherRowOrderAndTextsAfterTheHeader) {
    const int w = 37, h = 23, stride = 3 * w + 5;  // odd width, padded rows
    std::vector<unsigned char> rows((size_t)stride * h, 0xEE);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < 3 * w; x++) rows[(size_t)y * stride + x] = (unsigned char)(x * 7 + y * 13);
    const PngText texts[] = {{"phase", "-30"}, {"Software", "tessaline 9"}, {"G\xf6\xdf" "e", "\xe9t\xe9"}, {"e", ""}};
    for (bool bottom_up : {false, true}) {
        size_t size = 0;
        unsigned char* png = png_encode(rows.data(), w, h, stride, bottom_up, texts, 4, &size);
        ASSERT_NE(png, nullptr);
        TestPicture decoded = test_png_decode(png, size);
        ASSERT_FALSE(decoded.rgb.empty()) << decoded.error;
        ASSERT_EQ(decoded.w * 1000 + decoded.h, w * 1000 + h);
        for (int y = 0; y < h; y++)
            ASSERT_EQ(memcmp(&decoded.rgb[(size_t)y * 3 * w], &rows[(size_t)(bottom_up ? h - 1 - y : y) * stride], 3 * w),
                      0)
                << "row " << y;
        auto list = chunks(png, size);
        ASSERT_EQ(list.size(), 7u);  // IHDR, four tEXt, one IDAT for so small a picture, IEND
        EXPECT_EQ(list[0].first, "IHDR");
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(list[1 + i], std::make_pair(std::string("tEXt"), std::string(texts[i].keyword) + '\0' + texts[i].text));
        EXPECT_EQ(list[5].first, "IDAT");
        EXPECT_EQ(list[6].first, "IEND");
        free(png);
    }
}

// The stream's matches against the pixel before and the row above, in every
// kind of picture: flat bands, repeated rows, noise, and rows too long for
// the row above to be within deflate's reach.
TEST(PngEncode, PicturesOfEveryKindDecodeAgain) {
    struct Kind {
        const char* name;
        int w, h;
        unsigned char (*byte)(int x, int y, int c);
    };
    const Kind kinds[] = {
        {"flat bands", 300, 40, [](int, int y, int c) { return (unsigned char)(y / 7 * 40 + c); }},
        {"repeated rows", 257, 30, [](int x, int, int c) { return (unsigned char)(x * 3 + c * 11); }},
        {"noise", 64, 64, [](int x, int y, int c) { return (unsigned char)((x * 2654435761u + y * 40503u + c * 97u) >> 13); }},
        {"runs in a row beyond reach", 11000, 3,
         [](int x, int y, int c) { return (unsigned char)(x / 500 == y ? 255 : x / 1000 * 20 + c); }},
    };
    for (const Kind& k : kinds) {
        std::vector<unsigned char> rows((size_t)3 * k.w * k.h);
        for (int y = 0; y < k.h; y++)
            for (int x = 0; x < k.w; x++)
                for (int c = 0; c < 3; c++) rows[((size_t)y * k.w + x) * 3 + c] = k.byte(x, y, c);
        size_t size = 0;
        unsigned char* png = png_encode(rows.data(), k.w, k.h, 3LL * k.w, false, nullptr, 0, &size);
        ASSERT_NE(png, nullptr) << k.name;
        TestPicture decoded = test_png_decode(png, size);
        free(png);
        EXPECT_TRUE(decoded.rgb == rows) << k.name << ": " << decoded.error;
    }
}

TEST(PngEncode, RefusesBadKeywordsAndSizes) {
    unsigned char pixel[4] = {1, 2, 3, 0};
    size_t size = 12345;
    const std::string too_long(80, 'k');
    for (const char* keyword : {"", " lead", "trail ", "two  blanks", "tab\there", "c1\x85", too_long.c_str()}) {
        PngText t = {keyword, "x"};
        EXPECT_EQ(png_encode(pixel, 1, 1, 3, false, &t, 1, &size), nullptr) << keyword;
    }
    EXPECT_EQ(png_encode(pixel, 0, 1, 3, false, nullptr, 0, &size), nullptr);
    EXPECT_EQ(png_encode(pixel, 2, 1, 5, false, nullptr, 0, &size), nullptr);  // stride shorter than a row
    // Too big for the encoder's int sizes: refused before a byte is read.
    EXPECT_EQ(png_encode(pixel, 65535, 65535, 3 * 65535, false, nullptr, 0, &size), nullptr);
    EXPECT_EQ(size, 12345u);
}

TEST(WriteFileWhole, ReplacesOrLeavesNothingBehind) {
    ScratchFolder folder;
    const fs::path& dir = folder.dir;
    fs::create_directories(dir / "taken" / "inside");
    std::string target = (dir / "out.png").string();
    EXPECT_TRUE(write_file_whole(target.c_str(), "first version", 13));
    EXPECT_TRUE(write_file_whole(target.c_str(), "new", 3));
    EXPECT_EQ(read_file(target), "new");
    EXPECT_FALSE(write_file_whole((dir / "no" / "such.png").string().c_str(), "x", 1));
    // A folder in the way: the temporary is written, the rename refused and the temporary removed.
    EXPECT_FALSE(write_file_whole((dir / "taken").string().c_str(), "x", 1));
    EXPECT_TRUE(fs::is_directory(dir / "taken" / "inside"));
    EXPECT_FALSE(write_file_whole("", "x", 1));
    EXPECT_EQ(sorted_names(dir), (std::vector<std::string>{"out.png", "taken"}));
    // A file of the user's named like the temporary is neither used nor removed.
    write_file((dir / "out.png.tmp").string(), "keep me");
    EXPECT_TRUE(write_file_whole(target.c_str(), "third", 5));
    EXPECT_EQ(read_file(target), "third");
    EXPECT_EQ(read_file((dir / "out.png.tmp").string()), "keep me");
    EXPECT_EQ(sorted_names(dir), (std::vector<std::string>{"out.png", "out.png.tmp", "taken"}));
}

}  // namespace
