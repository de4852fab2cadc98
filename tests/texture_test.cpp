// Textures on a real context: mipmap levels read back with glGetTexImage,
// the in-place filter on odd and non-square sizes, rebuild_mipmaps' format
// choice, cube-map texels against GL's face conventions, and the sky box.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/draw/texture.h"
#include "framework/platform/gl.h"
#include "framework/window/graphics.h"
#include "tests/support/test_window.h"

namespace {

class Texture : public ::testing::Test {
protected:
    GLuint tex = 0;
    void SetUp() override {
        test_window_open(640, 480);
        glGenTextures(1, &tex);
    }
    void TearDown() override {
        glDeleteTextures(1, &tex);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
};

GLint level_param(GLenum target, int level, GLenum what) {
    GLint v = -1;
    glGetTexLevelParameteriv(target, level, what, &v);
    return v;
}

// A level read back with rows packed to 4 bytes, as byte images are stored.
std::vector<unsigned char> read_level(GLenum target, int level, int components) {
    int w = level_param(target, level, GL_TEXTURE_WIDTH), h = level_param(target, level, GL_TEXTURE_HEIGHT);
    std::vector<unsigned char> out(image_row_stride(components, w) * h + 1, 0xEE);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(target, level, (GLenum)texture_formats[components], GL_UNSIGNED_BYTE, out.data());
    EXPECT_EQ(out.back(), 0xEE) << "read past the level";
    out.pop_back();
    return out;
}

// The 2 x 2 block mean of a reference, computed directly from the definition.
unsigned char block_mean(int a, int b, int c, int d) { return (unsigned char)((a + b + c + d + 2) >> 2); }

// The next level of a square RGBA image of even side n, from the definition.
std::vector<unsigned char> rgba_half(const std::vector<unsigned char>& img, int n) {
    std::vector<unsigned char> out((size_t)(n / 2) * (n / 2) * 4);
    for (int y = 0; y < n / 2; y++)
        for (int x = 0; x < n / 2; x++)
            for (int k = 0; k < 4; k++) {
                auto at = [&](int yy, int xx) { return img[((size_t)yy * n + xx) * 4 + k]; };
                out[((size_t)y * (n / 2) + x) * 4 + k] =
                    block_mean(at(2 * y, 2 * x), at(2 * y, 2 * x + 1), at(2 * y + 1, 2 * x), at(2 * y + 1, 2 * x + 1));
            }
    return out;
}

// Mipmap levels.

TEST_F(Texture, FourByFourRgbaGivesTwoLevelsOfRoundedMeans) {
    // Channel 0 holds blocks 0,1,1,1 (-> 1) and 0,0,0,1 (-> 0); the others vary.
    unsigned char img[4 * 4 * 4];
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++)
            for (int k = 0; k < 4; k++) img[(y * 4 + x) * 4 + k] = (unsigned char)(x * 50 + y * 13 + k * 7);
    const unsigned char block_a[4] = {0, 1, 1, 1}, block_b[4] = {0, 0, 0, 1};
    for (int q = 0; q < 4; q++) {
        img[((q / 2) * 4 + q % 2) * 4] = block_a[q];            // top-left block
        img[((q / 2) * 4 + 2 + q % 2) * 4] = block_b[q];        // top-right block
    }
    std::vector<unsigned char> original(img, img + sizeof img);
    glBindTexture(GL_TEXTURE_2D, tex);
    upload_texture(GL_TEXTURE_2D, 4, 4, 4, img);
    EXPECT_EQ(level_param(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH), 2);
    EXPECT_EQ(level_param(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(level_param(GL_TEXTURE_2D, 2, GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(read_level(GL_TEXTURE_2D, 0, 4), original);
    std::vector<unsigned char> l1 = read_level(GL_TEXTURE_2D, 1, 4);
    ASSERT_EQ(l1.size(), 16u);
    EXPECT_EQ(l1[0], 1);  // (3 + 2) >> 2
    EXPECT_EQ(l1[4], 0);  // (1 + 2) >> 2
    const std::vector<unsigned char> expected1 = rgba_half(original, 4);
    EXPECT_EQ(l1, expected1);
    std::vector<unsigned char> l2 = read_level(GL_TEXTURE_2D, 2, 4);
    for (int k = 0; k < 4; k++)
        EXPECT_EQ(l2[k], block_mean(expected1[k], expected1[4 + k], expected1[8 + k], expected1[12 + k]));
    // The buffer now starts with the 1 x 1 level.
    EXPECT_EQ(std::vector<unsigned char>(img, img + 4), std::vector<unsigned char>(l2.begin(), l2.begin() + 4));
}

TEST_F(Texture, OneByOneUploadsNothingAndLeavesTheBuffer) {
    unsigned char img[4] = {10, 20, 30, 40};
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, img);
    build_mipmaps(GL_TEXTURE_2D, 4, GL_RGBA, 1, 1, img);
    EXPECT_EQ(level_param(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(img[0], 10);
    EXPECT_EQ(img[3], 40);
}

TEST_F(Texture, RgbUploadPassesThreeComponentsAndPaddedRows) {
    // 3 x 2 RGB: rows of 9 bytes padded to 12; the caller's alignment of 1 is restored.
    unsigned char img[24];
    for (int i = 0; i < 24; i++) img[i] = (unsigned char)(i % 12 < 9 ? 100 + i : 0xAB);
    std::vector<unsigned char> original(img, img + 24);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, tex);
    upload_texture(GL_TEXTURE_2D, 3, 3, 2, img);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    GLint internal = level_param(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(internal == 3 || internal == GL_RGB) << internal;
    std::vector<unsigned char> l0 = read_level(GL_TEXTURE_2D, 0, 3);
    for (int y = 0; y < 2; y++)
        for (int i = 0; i < 9; i++) EXPECT_EQ(l0[y * 12 + i], original[y * 12 + i]);
    // Level 1 is 2 x 1: the odd third column is averaged with itself.
    EXPECT_EQ(level_param(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH), 2);
    std::vector<unsigned char> l1 = read_level(GL_TEXTURE_2D, 1, 3);
    auto px = [&](int y, int x, int k) { return original[y * 12 + x * 3 + k]; };
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(l1[k], block_mean(px(0, 0, k), px(0, 1, k), px(1, 0, k), px(1, 1, k)));
        EXPECT_EQ(l1[3 + k], block_mean(px(0, 2, k), px(0, 2, k), px(1, 2, k), px(1, 2, k)));
    }
}

TEST(MipmapFilter, OddAndNonSquareSizesStayInsideTheImage) {
    // Exactly-sized buffers: any read or write past the image trips ASan.
    struct Case {
        int components, w, h;
    } cases[] = {{1, 3, 1}, {1, 1, 5}, {3, 5, 3}, {4, 7, 1}, {2, 1, 1}, {3, 8, 2}, {1, 9, 9}, {4, 2, 6}};
    for (const Case& c : cases) {
        size_t stride = image_row_stride(c.components, c.w);
        std::vector<unsigned char> img(stride * c.h);
        for (size_t i = 0; i < img.size(); i++) img[i] = (unsigned char)(i * 37 + 11);
        std::vector<unsigned char> prev = img;
        int w = c.w, h = c.h, levels = 0;
        while (true) {
            int pw = w, ph = h;
            size_t pstride = image_row_stride(c.components, pw);
            if (!mipmap_next_level(c.components, &w, &h, img.data())) break;
            levels++;
            ASSERT_EQ(w, (pw + 1) / 2);
            ASSERT_EQ(h, (ph + 1) / 2);
            size_t nstride = image_row_stride(c.components, w);
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++)
                    for (int k = 0; k < c.components; k++) {
                        int y1 = std::min(2 * y + 1, ph - 1), x1 = std::min(2 * x + 1, pw - 1);
                        auto at = [&](int yy, int xx) { return prev[yy * pstride + xx * c.components + k]; };
                        ASSERT_EQ(img[y * nstride + x * c.components + k],
                                  block_mean(at(2 * y, 2 * x), at(2 * y, x1), at(y1, 2 * x), at(y1, x1)))
                            << c.w << "x" << c.h << " level " << levels;
                    }
            prev = img;
        }
        EXPECT_EQ(w, 1);
        EXPECT_EQ(h, 1);
        int longest = std::max(c.w, c.h), expected_levels = 0;
        while (longest > 1) longest = (longest + 1) / 2, expected_levels++;
        EXPECT_EQ(levels, expected_levels);
    }
}

TEST(MipmapFilter, RejectsArgumentsThatNameNoImage) {
    unsigned char img[16] = {};
    int w = 4, h = 1;
    EXPECT_EQ(mipmap_next_level(0, &w, &h, img), 0);
    EXPECT_EQ(mipmap_next_level(5, &w, &h, img), 0);
    EXPECT_EQ(mipmap_next_level(1, &w, &h, nullptr), 0);
    w = -4;
    EXPECT_EQ(mipmap_next_level(1, &w, &h, img), 0);
    w = 4, h = 0;
    EXPECT_EQ(mipmap_next_level(1, &w, &h, img), 0);
    EXPECT_EQ(image_row_stride(3, 5), 16u);
    EXPECT_EQ(image_row_stride(4, 0x7fffffff), 0u);  // row beyond any buffer: refused
}

// Uploads and read-backs ignore the caller's pixel store, which would move
// them megabytes away from the image, and leave it as they found it.
TEST_F(Texture, CallersPixelStoreBendsNoUploadOrReadBack) {
    std::vector<unsigned char> img(8 * 8 * 4);
    for (size_t i = 0; i < img.size(); i++) img[i] = (unsigned char)(i * 7 + i / 32);
    const std::vector<unsigned char> original = img;
    const std::vector<unsigned char> expected1 = rgba_half(original, 8);
    glBindTexture(GL_TEXTURE_2D, tex);
    test_scramble_pixel_store();
    upload_texture(GL_TEXTURE_2D, 4, 8, 8, img.data());
    EXPECT_TRUE(test_pixel_store_kept());
    EXPECT_EQ(read_level(GL_TEXTURE_2D, 0, 4), original);
    EXPECT_EQ(read_level(GL_TEXTURE_2D, 1, 4), expected1);
    // The chain rebuilt from level 0 reads it back into a block of its exact size.
    const std::vector<unsigned char> zeros(expected1.size(), 0);
    glTexImage2D(GL_TEXTURE_2D, 1, 4, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
    test_scramble_pixel_store();
    rebuild_mipmaps();
    EXPECT_TRUE(test_pixel_store_kept());
    EXPECT_EQ(read_level(GL_TEXTURE_2D, 1, 4), expected1);
}

// rebuild_mipmaps picks its component count from level 0's internal format.

TEST_F(Texture, RebuildFromLuminanceAlphaUsesTwoComponents) {
    unsigned char img[2 * 2 * 2] = {0, 255, 8, 255, 4, 0, 100, 1};  // rows of 4 bytes
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, 2, 2, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, img);
    ASSERT_EQ(level_param(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_LUMINANCE_ALPHA);
    rebuild_mipmaps();
    ASSERT_EQ(level_param(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH), 1);
    GLint l1_internal = level_param(GL_TEXTURE_2D, 1, GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(l1_internal == 2 || l1_internal == GL_LUMINANCE_ALPHA) << l1_internal;
    std::vector<unsigned char> l1 = read_level(GL_TEXTURE_2D, 1, 2);
    EXPECT_EQ(l1[0], block_mean(0, 8, 4, 100));
    EXPECT_EQ(l1[1], block_mean(255, 255, 0, 1));
}

TEST_F(Texture, RebuildFromSizedFormatOutsideTheTableUsesRgb) {
    unsigned char img[4 * 4 * 4];
    for (int i = 0; i < 64; i++) img[i] = (unsigned char)(i * 4);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, img);
    GLint internal = level_param(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT);
    ASSERT_EQ(internal, GL_RGBA8);
    rebuild_mipmaps();
    EXPECT_EQ(level_param(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH), 2);
    GLint l1_internal = level_param(GL_TEXTURE_2D, 1, GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(l1_internal == 3 || l1_internal == GL_RGB) << l1_internal;
    std::vector<unsigned char> l1 = read_level(GL_TEXTURE_2D, 1, 3);
    auto at = [&](int y, int x, int k) { return img[(y * 4 + x) * 4 + k]; };
    for (int k = 0; k < 3; k++) EXPECT_EQ(l1[k], block_mean(at(0, 0, k), at(0, 1, k), at(1, 0, k), at(1, 1, k)));
    EXPECT_EQ(level_param(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH), 1);
}

// Cube maps.

const GLenum face_targets[6] = {GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
                                GL_TEXTURE_CUBE_MAP_POSITIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y,
                                GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z};

unsigned cube_size = 4;

// GL's cube-map selection: which face a direction hits and where, as a colour:
// red 40 per face index, green and blue 20 per texel column and row.
void encode_direction(double x, double y, double z, unsigned char* rgb) {
    double ax = fabs(x), ay = fabs(y), az = fabs(z), sc, tc, ma;
    int face;
    if (ax >= ay && ax >= az) face = x > 0 ? 0 : 1, sc = x > 0 ? -z : z, tc = -y, ma = ax;
    else if (ay >= az) face = y > 0 ? 2 : 3, sc = x, tc = y > 0 ? z : -z, ma = ay;
    else face = z > 0 ? 4 : 5, sc = z > 0 ? x : -x, tc = -y, ma = az;
    int col = (int)floor((sc / ma + 1) / 2 * cube_size), row = (int)floor((tc / ma + 1) / 2 * cube_size);
    rgb[0] = (unsigned char)(40 * face);
    rgb[1] = (unsigned char)(20 * col);
    rgb[2] = (unsigned char)(20 * row);
}

void check_cube_faces(unsigned size, const char* what) {
    for (int f = 0; f < 6; f++) {
        ASSERT_EQ(level_param(face_targets[f], 0, GL_TEXTURE_WIDTH), (GLint)size);
        std::vector<unsigned char> texels = read_level(face_targets[f], 0, 3);
        size_t stride = image_row_stride(3, (int)size);
        for (unsigned j = 0; j < size; j++)
            for (unsigned i = 0; i < size; i++) {
                const unsigned char* t = &texels[j * stride + i * 3];
                ASSERT_EQ(t[0], 40 * f) << what << " face " << f << " texel " << i << "," << j;
                ASSERT_EQ(t[1], 20 * i) << what << " face " << f << " texel " << i << "," << j;
                ASSERT_EQ(t[2], 20 * j) << what << " face " << f << " texel " << i << "," << j;
            }
    }
}

TEST_F(Texture, CubeMapTexelsReproduceTheDirectionFunction) {
    for (unsigned size : {4u, 3u, 5u, 1u}) {  // sizes not a multiple of 4 need padded rows
        for (unsigned samples : {1u, 2u, 3u}) {
            cube_size = size;
            unsigned t = make_cube_map(encode_direction, size, samples);
            ASSERT_NE(t, 0u);
            GLint bound = 0;
            glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
            EXPECT_EQ((unsigned)bound, t);
            check_cube_faces(size, samples == 1 ? "1 sample" : "sub-samples");
            GLint min_filter = 0;
            glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, &min_filter);
            EXPECT_EQ(min_filter, GL_LINEAR_MIPMAP_LINEAR);
            if (size == 4) {
            EXPECT_EQ(level_param(face_targets[3], 2, GL_TEXTURE_WIDTH), 1);
        }
            glDeleteTextures(1, &t);
        }
    }
}

int calls = 0;
double first_call[3];
void count_white(double x, double y, double z, unsigned char* rgb) {
    if (calls == 0) first_call[0] = x, first_call[1] = y, first_call[2] = z;
    calls++;
    rgb[0] = rgb[1] = rgb[2] = 255;
}

// 255 for the first of every four sub-samples (each sub-sample calls six times).
void one_in_four(double, double, double, unsigned char* rgb) {
    rgb[0] = rgb[1] = rgb[2] = (calls++ / 6) % 4 == 0 ? 255 : 0;
}

TEST_F(Texture, CubeMapCallCountsOrderAndAveraging) {
    for (unsigned samples : {0u, 1u, 2u}) {
        calls = 0;
        unsigned t = make_cube_map(count_white, 4, samples);
        unsigned per_texel = samples < 2 ? 1 : samples * samples;
        EXPECT_EQ(calls, (int)(6 * 16 * per_texel)) << samples;
        for (int f = 0; f < 6; f++)
            for (unsigned char v : read_level(face_targets[f], 0, 3)) ASSERT_EQ(v, 255);
        if (samples == 1) {
            // The first call is +Z of the last row's last texel: s = t = 0.75.
            double w = 1 / sqrt(0.75 * 0.75 * 2 + 1);
            EXPECT_DOUBLE_EQ(first_call[0], 0.75 * w);
            EXPECT_DOUBLE_EQ(first_call[1], -0.75 * w);
            EXPECT_DOUBLE_EQ(first_call[2], w);
        }
        glDeleteTextures(1, &t);
    }
    calls = 0;
    unsigned t = make_cube_map(one_in_four, 4, 2);
    for (int f = 0; f < 6; f++)
        for (unsigned char v : read_level(face_targets[f], 0, 3)) ASSERT_EQ(v, 63);  // 63.75 truncated
    glDeleteTextures(1, &t);
}

TEST_F(Texture, CubeMapWithoutFunctionOrSizeStillMakesATexture) {
    unsigned t = make_cube_map(nullptr, 4, 1);
    EXPECT_TRUE(glIsTexture(t));
    glDeleteTextures(1, &t);
    t = make_cube_map(count_white, 0, 1);
    EXPECT_TRUE(glIsTexture(t));
    glDeleteTextures(1, &t);
}

// Six solid colours, one per face, by major axis.
void face_colours(double x, double y, double z, unsigned char* rgb) {
    static const unsigned char colours[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255},
                                                {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
    double ax = fabs(x), ay = fabs(y), az = fabs(z);
    int face = ax >= ay && ax >= az ? (x > 0 ? 0 : 1) : ay >= az ? (y > 0 ? 2 : 3) : (z > 0 ? 4 : 5);
    for (int k = 0; k < 3; k++) rgb[k] = colours[face][k];
}

TEST_F(Texture, SkyBoxShowsTheFaceAheadClearsDepthAndRestoresState) {
    unsigned sky = make_cube_map(face_colours, 8, 1);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(-0.1, 0.1, -0.075, 0.075, 0.1, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0, 0, -3);  // the sky box ignores the modelview
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBegin(GL_QUADS);  // something near, to leave depth behind
    glVertex3d(-1, -1, 2);
    glVertex3d(1, -1, 2);
    glVertex3d(1, 1, 2);
    glVertex3d(-1, 1, 2);
    glEnd();
    glEnable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    draw_sky_box((int)sky);

    EXPECT_EQ(test_pixel(320, 240), 0xFF00FFu);  // looking down -z
    float depth = 0;
    glReadPixels(320, 240, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(bound, 0);
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[14], -3.0);

    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDeleteTextures(1, &sky);
}

}  // namespace
