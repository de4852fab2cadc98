// Capability queries on a real context: the version number, anisotropy read
// back from the texture, and the caches that make each question and each
// entry-point fetch happen once.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "framework/platform/gl.h"
#include "framework/window/caps.h"
#include "framework/window/graphics.h"
#include "tests/support/test_window.h"

static bool driver_lists(const char* name) {
    const char* list = (const char*)glGetString(GL_EXTENSIONS);
    return list && strstr(list, name);
}

class Caps : public ::testing::Test {
protected:
    GLuint texture = 0;
    void SetUp() override {
        test_window_open(64, 64);
        ASSERT_NE(graphics.hglrc, nullptr);
        while (glGetError() != GL_NO_ERROR) {
        }
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    void TearDown() override { glDeleteTextures(1, &texture); }
    float texture_anisotropy() {
        float level = -1;
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &level);
        return level;
    }
};

TEST_F(Caps, VersionIsMajorDotMinor) {
    const char* text = (const char*)glGetString(GL_VERSION);
    ASSERT_NE(text, nullptr);
    int major = 0, minor = 0;
    ASSERT_EQ(sscanf(text, "%d.%d", &major, &minor), 2) << text;
    float expected = (float)(major + minor / (minor < 10 ? 10.0 : 100.0));
    EXPECT_EQ(gl_version(), expected) << text;
    EXPECT_GE(gl_version(), 1.1f);
}

TEST_F(Caps, AnisotropyFirstUseAsksAndFillsTheMaximum) {
    graphics.has_anisotropic = -1;
    graphics.anisotropy = 0;
    bool listed = driver_lists("GL_EXT_texture_filter_anisotropic");
    apply_anisotropy();
    EXPECT_EQ(graphics.has_anisotropic, listed ? 1 : 0);
    if (!listed) {
        EXPECT_EQ(graphics.anisotropy, 0.0f);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        return;
    }
    float maximum = 0;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maximum);
    EXPECT_GE(maximum, 2.0f);
    EXPECT_EQ(graphics.anisotropy, maximum);
    EXPECT_EQ(texture_anisotropy(), maximum);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Caps, AnisotropyAnswerIsCachedNotAskedAgain) {
    // Give the cache the opposite of the driver's answer: a second question
    // to the driver would show as the driver's behaviour.
    bool listed = driver_lists("GL_EXT_texture_filter_anisotropic");
    graphics.has_anisotropic = listed ? 0 : 1;
    graphics.anisotropy = 2;
    apply_anisotropy();
    if (listed) {
        EXPECT_EQ(texture_anisotropy(), 1.0f);  // untouched: no texture call made
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    } else {
        EXPECT_EQ(glGetError(), (GLenum)GL_INVALID_ENUM);  // the cached yes made the call
    }
    EXPECT_EQ(graphics.has_anisotropic, listed ? 0 : 1);
}

TEST_F(Caps, ProgramLevelIsUsedWithoutQuery) {
    if (!driver_lists("GL_EXT_texture_filter_anisotropic")) GTEST_SKIP() << "driver has no anisotropic filtering";
    graphics.has_anisotropic = 1;
    graphics.anisotropy = 4;
    apply_anisotropy();
    EXPECT_EQ(texture_anisotropy(), 4.0f);
    EXPECT_EQ(graphics.anisotropy, 4.0f);

    // Later textures reuse the level filled in on first use.
    graphics.anisotropy = 0;
    apply_anisotropy();
    float filled = graphics.anisotropy;
    EXPECT_GT(filled, 1.0f);
    GLuint second = 0;
    glGenTextures(1, &second);
    glBindTexture(GL_TEXTURE_2D, second);
    apply_anisotropy();
    EXPECT_EQ(texture_anisotropy(), filled);
    glDeleteTextures(1, &second);
    glBindTexture(GL_TEXTURE_2D, texture);
}

static int interval_calls;
static int last_interval;
static int APIENTRY counting_swap_interval(int frames) {
    interval_calls++;
    last_interval = frames;
    return 1;
}

TEST_F(Caps, SwapControlFirstUseAsksThePlatform) {
    graphics.has_swap_control = -1;
    graphics.swap_interval_fn = nullptr;
    bool offered = plat_has_swap_control();
    set_swap_interval(1);
    EXPECT_EQ(graphics.has_swap_control, offered ? 1 : 0);
    if (offered) {
        EXPECT_NE(graphics.swap_interval_fn, nullptr);
        EXPECT_EQ((void*)graphics.swap_interval_fn, plat_swap_interval_proc());
    } else {
        EXPECT_EQ(graphics.swap_interval_fn, nullptr);
    }
    set_swap_interval(0);  // leave the window unsynchronised for the other tests
}

TEST_F(Caps, SwapEntryPointFetchedOnce) {
    graphics.has_swap_control = 1;
    graphics.swap_interval_fn = counting_swap_interval;  // as if fetched already
    interval_calls = 0;
    set_swap_interval(1);
    set_swap_interval(3);
    EXPECT_EQ(interval_calls, 2);
    EXPECT_EQ(last_interval, 3);
    EXPECT_EQ(graphics.swap_interval_fn, &counting_swap_interval);
}

TEST_F(Caps, SwapControlAnswerIsCached) {
    // The cache holds the opposite of the platform's answer; asking again
    // would show as the platform's behaviour.
    bool offered = plat_has_swap_control();
    graphics.has_swap_control = offered ? 0 : 1;
    graphics.swap_interval_fn = counting_swap_interval;
    interval_calls = 0;
    set_swap_interval(1);
    EXPECT_EQ(interval_calls, offered ? 0 : 1);
    EXPECT_EQ(graphics.has_swap_control, offered ? 0 : 1);
}
