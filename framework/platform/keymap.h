// Key codes: the virtual-key codes the backends report and programs test, the
// X11 keysym -> virtual-key table, and the flag a key press carries for Shift;
// free of X11 headers so that it can be tested on its own.
#pragma once
#include <cstdint>

enum : unsigned char {
    VK_CODE_BACK = 0x08, VK_CODE_TAB = 0x09, VK_CODE_RETURN = 0x0D,
    VK_CODE_SHIFT = 0x10, VK_CODE_CONTROL = 0x11, VK_CODE_MENU = 0x12,
    VK_CODE_ESCAPE = 0x1B, VK_CODE_SPACE = 0x20,
    VK_CODE_CAPITAL = 0x14, VK_CODE_NUMLOCK = 0x90, VK_CODE_SCROLL = 0x91,
    VK_CODE_F10 = 0x79,
    VK_CODE_LSHIFT = 0xA0, VK_CODE_RSHIFT = 0xA1, VK_CODE_LCONTROL = 0xA2,
    VK_CODE_RCONTROL = 0xA3, VK_CODE_LMENU = 0xA4, VK_CODE_RMENU = 0xA5,
};

// Navigation, F1 and the bracket keys. A letter's code is its capital's ASCII code ('A' to 'Z')
// and a digit's its ASCII digit, so they need no names.
enum : unsigned char {
    VK_CODE_HOME = 0x24, VK_CODE_LEFT = 0x25, VK_CODE_UP = 0x26, VK_CODE_RIGHT = 0x27, VK_CODE_DOWN = 0x28,
    VK_CODE_F1 = 0x70,
    VK_CODE_LBRACKET = 0xDB, VK_CODE_RBRACKET = 0xDD,  // VK_OEM_4, VK_OEM_6 on a US layout
};

// Set beside the virtual-key code in a recorded key press when Shift was down.
enum : uint16_t { KEY_PRESS_SHIFT = 0x100 };

// Virtual-key code of an X11 keysym (Latin-1 letters folded to capitals), 0 if none.
unsigned char vk_from_keysym(unsigned long keysym);
// Virtual-key code of a key from the keysyms of its first two levels (plain and
// shifted). Keypad keys give their digit codes with Num Lock on and their
// navigation codes with it off, as on Windows.
unsigned char vk_from_key(unsigned long plain, unsigned long shifted, bool num_lock);
// The generic code a left/right variant also sets (Shift, Control, Alt), or 0.
unsigned char vk_generic(unsigned char vk);
