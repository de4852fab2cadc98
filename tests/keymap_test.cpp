// Keysyms to virtual-key codes, as the X11 backend fills the key table.
#include <gtest/gtest.h>

#include "framework/platform/keymap.h"

TEST(Keymap, LettersDigitsAndControlKeys) {
    EXPECT_EQ(vk_from_keysym('q'), 0x51);
    EXPECT_EQ(vk_from_keysym('Q'), 0x51);
    EXPECT_EQ(vk_from_keysym('7'), 0x37);
    EXPECT_EQ(vk_from_keysym(0xFF1B), 0x1B);  // Escape
    EXPECT_EQ(vk_from_keysym(0xFF09), 0x09);  // Tab
    EXPECT_EQ(vk_from_keysym(0xFF0D), 0x0D);  // Return
    EXPECT_EQ(vk_from_keysym(0xFFBE), 0x70);  // F1
    EXPECT_EQ(vk_from_keysym(0xFFC7), 0x79);  // F10
    EXPECT_EQ(vk_from_keysym(0xFF51), 0x25);  // Left
    EXPECT_EQ(vk_from_keysym(0xFFB5), 0x65);  // keypad 5
    EXPECT_EQ(vk_from_keysym(0x12345), 0);
}

TEST(Keymap, SidedModifiersAlsoSetTheirGenericCode) {
    EXPECT_EQ(vk_from_keysym(0xFFE9), 0xA4);  // Alt_L
    EXPECT_EQ(vk_generic(0xA4), 0x12);
    EXPECT_EQ(vk_generic(0xA1), 0x10);
    EXPECT_EQ(vk_generic(0xA3), 0x11);
    EXPECT_EQ(vk_generic(0x41), 0);
}

TEST(Keymap, KeypadFollowsNumLock) {
    // A keypad key's two levels: KP_Home and KP_7, KP_Delete and KP_Decimal.
    EXPECT_EQ(vk_from_key(0xFF95, 0xFFB7, true), 0x67);   // VK_NUMPAD7
    EXPECT_EQ(vk_from_key(0xFF95, 0xFFB7, false), 0x24);  // VK_HOME
    EXPECT_EQ(vk_from_key(0xFF9F, 0xFFAE, true), 0x6E);   // VK_DECIMAL
    EXPECT_EQ(vk_from_key(0xFF9F, 0xFFAE, false), 0x2E);  // VK_DELETE
    EXPECT_EQ(vk_from_key(0xFF9D, 0xFFB5, false), 0x0C);  // keypad 5 unlocked: VK_CLEAR
    // Keys whose shifted level is no keypad digit ignore the lock.
    EXPECT_EQ(vk_from_key('1', '!', true), 0x31);
    EXPECT_EQ(vk_from_key(0xFFAB, 0xFFAB, true), 0x6B);   // KP_Add
    EXPECT_EQ(vk_from_key(0xFFAB, 0xFFAB, false), 0x6B);
}
