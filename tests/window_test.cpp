// Window, view and frame helpers against a real GL context, and the message
// handler fed with the messages a backend delivers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>

#include "framework/platform/gl.h"
#include "framework/window/graphics.h"
#include "tests/support/test_window.h"

namespace {

MsgLParam point(int x, int y) { return (MsgLParam)(((unsigned)y & 0xFFFF) << 16 | ((unsigned)x & 0xFFFF)); }

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_window_open(640, 480);
        ASSERT_NE(graphics.hglrc, nullptr);
        graphics.flat_2d = true;
        resize_view(640, 480);
        glLoadIdentity();
    }
};

TEST_F(WindowTest, ClientSizeAndInitialState) {
    EXPECT_EQ(graphics.width, 640);
    EXPECT_EQ(graphics.height, 480);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint func = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &func);
    EXPECT_EQ(func, GL_LEQUAL);
    GLint shade = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_EQ(shade, GL_SMOOTH);
}

TEST_F(WindowTest, FlatProjectionPutsPixelZeroAtTheTopLeft) {
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3ub(255, 0, 0);
    glBegin(GL_QUADS);  // the top-left 10 x 5 pixels
    glVertex2i(0, 0);
    glVertex2i(10, 0);
    glVertex2i(10, 5);
    glVertex2i(0, 5);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    EXPECT_EQ(test_pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(test_pixel(9, 4), 0xFF0000u);
    EXPECT_EQ(test_pixel(10, 4), 0u);
    EXPECT_EQ(test_pixel(9, 5), 0u);
    EXPECT_EQ(test_pixel(0, 479), 0u);
}

TEST_F(WindowTest, ResizeKeepsHeightPositiveAndSetsTheViewport) {
    resize_view(0, 0);
    EXPECT_EQ(graphics.width, 0);
    EXPECT_EQ(graphics.height, 1);
    resize_view(320, -5);
    EXPECT_EQ(graphics.height, 1);
    resize_view(300, 200);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 300);
    EXPECT_EQ(vp[3], 200);
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 2.0f / 300);
    EXPECT_FLOAT_EQ(m[5], -2.0f / 200);  // y downwards
    EXPECT_FLOAT_EQ(m[10], 2.0f / 200);  // near h/2, far -h/2
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(WindowTest, PerspectiveMatrices) {
    resize_view(800, 400);
    set_perspective(90, 1, 101);
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[0], 1.0f, 1e-6);
    EXPECT_NEAR(m[5], 2.0f, 1e-6);  // width / (height * t)
    EXPECT_NEAR(m[10], -102.0f / 100, 1e-6);
    EXPECT_EQ(m[11], -1.0f);
    EXPECT_NEAR(m[14], -202.0f / 100, 1e-5);
    EXPECT_EQ(m[15], 0.0f);

    // Wider than 4:3: a 4:3 view widened sideways.
    set_perspective_43(90, 1, 101);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[5], 1 / 0.75f, 1e-5);
    EXPECT_NEAR(m[0], 1 / (0.75f * 2), 1e-5);
    // Taller than 4:3: the horizontal angle holds.
    resize_view(300, 400);
    set_perspective_43(90, 1, 101);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[0], 1.0f, 1e-6);
    EXPECT_NEAR(m[5], 300.0f / 400, 1e-6);

    graphics.flat_2d = false;  // resize_view then sets the 90-degree 4:3 perspective
    resize_view(640, 480);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[0], 1.0f, 1e-6);
    EXPECT_NEAR(m[5], 4.0f / 3, 1e-5);
    graphics.flat_2d = true;
    resize_view(640, 480);
}

TEST_F(WindowTest, EndFrameSetsTheClearColourOnlyWhenItChanges) {
    graphics.clear_colour = CLEAR_COLOUR_UNSET;
    glClearColor(0.2f, 0.3f, 0.4f, 0);
    end_frame(0);
    float cc[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, cc);
    EXPECT_EQ(cc[0], 0.0f);
    EXPECT_EQ(cc[2], 0.0f);
    EXPECT_EQ(graphics.clear_colour, 0u);
    glClearColor(0.2f, 0.3f, 0.4f, 0);
    end_frame(0);  // same colour: no glClearColor
    glGetFloatv(GL_COLOR_CLEAR_VALUE, cc);
    EXPECT_FLOAT_EQ(cc[0], 0.2f);

    end_frame(0xFF8000);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, cc);
    EXPECT_FLOAT_EQ(cc[0], 1.0f);
    EXPECT_NEAR(cc[1], 0.50196, 1e-5);
    EXPECT_EQ(cc[2], 0.0f);
    EXPECT_EQ(test_pixel(320, 240), 0xFF8000u);  // the back buffer was cleared to it
    end_frame_both(0x000080);
    EXPECT_EQ(test_pixel(0, 0), 0x000080u);
    end_frame(0);
}

TEST_F(WindowTest, ClearRectClearsOnlyItsRectangle) {
    glClearColor(1, 1, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 1, 0);
    clear_rect(10, 20, 30, 40);  // GL window coordinates: origin bottom-left
    EXPECT_EQ(test_pixel(10, 479 - 20), 0x0000FFu);
    EXPECT_EQ(test_pixel(39, 479 - 59), 0x0000FFu);
    EXPECT_EQ(test_pixel(40, 479 - 20), 0xFFFFFFu);
    EXPECT_EQ(test_pixel(10, 479 - 60), 0xFFFFFFu);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    graphics.clear_colour = CLEAR_COLOUR_UNSET;
}

TEST_F(WindowTest, BrightnessRule) {
    EXPECT_EQ(is_dark(0x000000), 1);
    EXPECT_EQ(is_dark(0xFFFFFF), 0);
    EXPECT_EQ(is_dark(0x0000FF), 1);  // 255 * 3 = 765
    EXPECT_EQ(is_dark(0x00FF00), 0);  // 255 * 6 = 1530
    EXPECT_EQ(is_dark(0x7F7F7F), 1);  // 127 * 11 = 1397
    EXPECT_EQ(is_dark(0x808080), 0);  // 128 * 11 = 1408
    EXPECT_EQ(is_dark(0xFF000000u), 1);  // high bits ignored
}

// The same whatever the caller's pack state, which would land the sample far
// past its 4-byte word.
TEST_F(WindowTest, ContrastCursorIsWhiteOnDarkAndBlackOnLight) {
    glDisable(GL_DEPTH_TEST);
    graphics.mouse_x = 100;
    graphics.mouse_y = 100;
    for (bool scrambled : {false, true})
        for (float background : {0.0f, 1.0f}) {
            test_clear(background > 0 ? 0xFFFFFF : 0);
            if (scrambled) test_scramble_pixel_store();
            draw_contrast_cursor();
            if (scrambled) {
                EXPECT_TRUE(test_pixel_store_kept());
            }
            // The right stroke.
            EXPECT_EQ(test_pixel(101, 100), background == 0 ? 0xFFFFFFu : 0u) << "scrambled " << scrambled;
        }
    // In the bottom-right corner the sample stays inside the window.
    graphics.mouse_x = 639;
    graphics.mouse_y = 479;
    draw_contrast_cursor();
    glEnable(GL_LIGHTING);
    draw_cursor(0.5f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    graphics.mouse_x = graphics.mouse_y = 0;
}

// The handler, fed as a backend would feed it.
class MessageTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        saved_latch = graphics.button_latch;
    }
    void TearDown() override {
        graphics.buttons = graphics.buttons_raw = 0;
        graphics.button_latch = saved_latch;
        graphics.typed[0] = 0;
        resize_view(640, 480);
    }
    int saved_latch = 0;
};

TEST_F(MessageTest, MouseMessagesFollowTheLatch) {
    pump_messages();
    graphics.button_latch = 1;
    window_proc(graphics.hwnd, MSG_LBUTTONDOWN, MK_LEFT, point(5, 6));
    EXPECT_EQ(graphics.buttons, 0);  // latched: a button held at open is not reported
    EXPECT_EQ(graphics.button_presses, 0);
    EXPECT_EQ(graphics.buttons_raw, 1);
    EXPECT_EQ(graphics.mouse_x, 5);
    EXPECT_EQ(graphics.mouse_y, 6);
    window_proc(graphics.hwnd, MSG_MOUSEMOVE, 0, point(7, 8));
    EXPECT_EQ(graphics.button_latch, 0);
    window_proc(graphics.hwnd, MSG_RBUTTONDOWN, MK_RIGHT | MK_MIDDLE | 0x04 /* shift */, point(70000, 9));
    EXPECT_EQ(graphics.buttons, 0x12);
    EXPECT_EQ(graphics.mouse_x, 70000 & 0xFFFF);  // unsigned 16-bit halves
    // A click pressed and released between two pumps is kept, where it was pressed.
    window_proc(graphics.hwnd, MSG_LBUTTONDOWN, MK_LEFT, point(30, 40));
    window_proc(graphics.hwnd, MSG_LBUTTONUP, 0, point(31, 41));
    EXPECT_EQ(graphics.buttons, 0);
    EXPECT_EQ(graphics.button_presses, 1 | 2);
    EXPECT_EQ(graphics.press_x * 1000 + graphics.press_y, 30040);
    pump_messages();
    EXPECT_EQ(graphics.button_presses, 0);
}

TEST_F(MessageTest, WheelBitsLastUntilTheNextPumpOrMouseMessage) {
    graphics.button_latch = 0;
    graphics.buttons = 0;
    window_proc(graphics.hwnd, MSG_MOUSEWHEEL, (MsgWParam)(120u << 16), 0);
    EXPECT_EQ(graphics.buttons, 4);
    window_proc(graphics.hwnd, MSG_MOUSEWHEEL, (MsgWParam)(uint32_t)(-120 * 65536), 0);
    EXPECT_EQ(graphics.buttons, 12);
    pump_messages();
    EXPECT_EQ(graphics.buttons_before, 12);
    EXPECT_EQ(graphics.buttons & 12, 0);
    window_proc(graphics.hwnd, MSG_MOUSEWHEEL, (MsgWParam)(120u << 16), 0);
    window_proc(graphics.hwnd, MSG_MOUSEMOVE, MK_LEFT, point(1, 1));
    EXPECT_EQ(graphics.buttons, 1);  // the mouse message replaced the wheel bits
}

TEST_F(MessageTest, KeyPressesAndWheelTurnsAddUpUntilTheNextPump) {
    pump_messages();
    window_proc(graphics.hwnd, MSG_MOUSEWHEEL, (MsgWParam)(120u << 16), 0);
    window_proc(graphics.hwnd, MSG_MOUSEMOVE, 0, point(1, 1));  // clears the bits, not the count
    window_proc(graphics.hwnd, MSG_MOUSEWHEEL, (MsgWParam)(uint32_t)(-40 * 65536), 0);  // a fine-grained wheel
    EXPECT_EQ(graphics.wheel, 80);
    const unsigned LEFT = 0x25, RIGHT = 0x27;
    // Left tapped; Shift (Windows names it 0x10, the X11 backend 0xA0) with Right and its repeat; Right.
    for (auto [msg, vk] : {std::pair<unsigned, unsigned>{MSG_KEYDOWN, LEFT}, {MSG_KEYUP, LEFT}, {MSG_KEYDOWN, 0x10},
                           {MSG_KEYDOWN, RIGHT}, {MSG_KEYDOWN, RIGHT}, {MSG_KEYUP, 0x10}, {MSG_KEYDOWN, 0xA0},
                           {MSG_KEYUP, 0xA0}, {MSG_KEYDOWN, RIGHT}})
        window_proc(graphics.hwnd, msg, vk, 0);
    ASSERT_EQ(graphics.key_press_count, 4);
    const uint16_t want[4] = {LEFT, RIGHT | KEY_PRESS_SHIFT, RIGHT | KEY_PRESS_SHIFT, RIGHT};
    EXPECT_EQ(std::memcmp(graphics.key_presses, want, sizeof want), 0);
    for (int i = 0; i < 100; i++) window_proc(graphics.hwnd, MSG_KEYDOWN, 0x41, 0);
    EXPECT_EQ(graphics.key_press_count, 32);  // full: later presses are dropped
    window_proc(graphics.hwnd, MSG_KEYDOWN, 0x10, 0);  // its release went to another window
    pump_messages();
    EXPECT_EQ(graphics.wheel, 0);
    EXPECT_EQ(graphics.key_press_count, 0);
    EXPECT_FALSE(graphics.shift_down);  // the snapshot knows better
}

TEST_F(MessageTest, SizeMessagesResizeTheView) {
    window_proc(graphics.hwnd, MSG_SIZE, 0, point(0, 0));  // minimised
    EXPECT_EQ(graphics.width, 0);
    EXPECT_EQ(graphics.height, 1);
    window_proc(graphics.hwnd, MSG_SIZE, 0, point(320, 200));
    EXPECT_EQ(graphics.width, 320);
    EXPECT_EQ(graphics.height, 200);
}

TEST_F(MessageTest, TypedQueueHolds499AndKeepsOrder) {
    for (int i = 0; i < 500; i++) window_proc(graphics.hwnd, MSG_CHAR, (MsgWParam)('a' + i % 26), 1);
    EXPECT_EQ(strlen(graphics.typed), 499u);
    EXPECT_EQ(next_typed_char(), 'a');
    EXPECT_EQ(next_typed_char(), 'b');
    EXPECT_EQ(strlen(graphics.typed), 497u);
    window_proc(graphics.hwnd, MSG_CHAR, 0x1E9, 1);  // the low byte only
    EXPECT_EQ((unsigned char)graphics.typed[497], 0xE9);
    graphics.typed[0] = 0;
    EXPECT_EQ(next_typed_char(), 0);
    window_proc(graphics.hwnd, MSG_CHAR, 0xE9, 1);
    EXPECT_EQ(next_typed_char(), (int)(signed char)0xE9);  // returned as a signed char
}

TEST_F(MessageTest, SystemKeysAreSwallowed) {
    EXPECT_EQ(window_proc(graphics.hwnd, MSG_SYSKEYDOWN, 0x79 /* F10 */, 0), 0);
    EXPECT_EQ(graphics.quit, 0);
    EXPECT_NE(graphics.hglrc, nullptr);
}

}  // namespace
