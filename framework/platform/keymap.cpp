// X11 keysyms to Windows virtual-key codes. Keysym numbers are written out
// (they are fixed by the X protocol) so that this file needs no X11 header.
#include "framework/platform/keymap.h"

unsigned char vk_from_keysym(unsigned long k) {
    if (k >= 'a' && k <= 'z') return (unsigned char)(k - 32);
    if (k >= 'A' && k <= 'Z') return (unsigned char)k;
    if (k >= '0' && k <= '9') return (unsigned char)k;
    if (k >= 0xFFBE && k <= 0xFFD5) return (unsigned char)(0x70 + (k - 0xFFBE));  // F1..F24
    if (k >= 0xFFB0 && k <= 0xFFB9) return (unsigned char)(0x60 + (k - 0xFFB0));  // keypad digits
    switch (k) {
    case 0x20: return VK_CODE_SPACE;
    case 0xFF08: return VK_CODE_BACK;
    case 0xFF09: case 0xFE20: return VK_CODE_TAB;  // Tab, ISO_Left_Tab (Shift+Tab)
    case 0xFF0D: case 0xFF8D: return VK_CODE_RETURN;
    case 0xFF13: return 0x13;  // Pause
    case 0xFF14: return 0x91;  // Scroll_Lock
    case 0xFF1B: return VK_CODE_ESCAPE;
    case 0xFF50: return 0x24;  // Home
    case 0xFF51: return 0x25;  // Left
    case 0xFF52: return 0x26;  // Up
    case 0xFF53: return 0x27;  // Right
    case 0xFF54: return 0x28;  // Down
    case 0xFF55: return 0x21;  // Prior
    case 0xFF56: return 0x22;  // Next
    case 0xFF57: return 0x23;  // End
    case 0xFF61: return 0x2C;  // Print
    case 0xFF63: return 0x2D;  // Insert
    case 0xFF67: return 0x5D;  // Menu
    case 0xFF7F: return 0x90;  // Num_Lock
    case 0xFF95: return 0x24;  // KP_Home: keypad keys with Num Lock off
    case 0xFF96: return 0x25;  // KP_Left
    case 0xFF97: return 0x26;  // KP_Up
    case 0xFF98: return 0x27;  // KP_Right
    case 0xFF99: return 0x28;  // KP_Down
    case 0xFF9A: return 0x21;  // KP_Prior
    case 0xFF9B: return 0x22;  // KP_Next
    case 0xFF9C: return 0x23;  // KP_End
    case 0xFF9D: return 0x0C;  // KP_Begin (VK_CLEAR)
    case 0xFF9E: return 0x2D;  // KP_Insert
    case 0xFF9F: return 0x2E;  // KP_Delete
    case 0xFFAC: return 0x6C;  // KP_Separator
    case 0xFFAA: return 0x6A;  // KP_Multiply
    case 0xFFAB: return 0x6B;  // KP_Add
    case 0xFFAD: return 0x6D;  // KP_Subtract
    case 0xFFAE: return 0x6E;  // KP_Decimal
    case 0xFFAF: return 0x6F;  // KP_Divide
    case 0xFFE1: return VK_CODE_LSHIFT;
    case 0xFFE2: return VK_CODE_RSHIFT;
    case 0xFFE3: return VK_CODE_LCONTROL;
    case 0xFFE4: return VK_CODE_RCONTROL;
    case 0xFFE5: return 0x14;  // Caps_Lock
    case 0xFFE7: case 0xFFE9: return VK_CODE_LMENU;   // Meta_L, Alt_L
    case 0xFFE8: case 0xFFEA: case 0xFE03: return VK_CODE_RMENU;  // Meta_R, Alt_R, AltGr
    case 0xFFEB: return 0x5B;  // Super_L
    case 0xFFEC: return 0x5C;  // Super_R
    case 0xFFFF: return 0x2E;  // Delete
    case ';': return 0xBA;
    case '=': return 0xBB;
    case ',': return 0xBC;
    case '-': return 0xBD;
    case '.': return 0xBE;
    case '/': return 0xBF;
    case '`': return 0xC0;
    case '[': return VK_CODE_LBRACKET;
    case '\\': return 0xDC;
    case ']': return VK_CODE_RBRACKET;
    case '\'': return 0xDE;
    default: return 0;
    }
}

// Keypad keysyms that Num Lock selects: the digits, the decimal point and the separator.
static bool keypad_numeric(unsigned long k) { return (k >= 0xFFB0 && k <= 0xFFB9) || k == 0xFFAE || k == 0xFFAC; }

unsigned char vk_from_key(unsigned long plain, unsigned long shifted, bool num_lock) {
    if (num_lock && keypad_numeric(shifted)) return vk_from_keysym(shifted);
    return vk_from_keysym(plain);
}

unsigned char vk_generic(unsigned char vk) {
    switch (vk) {
    case VK_CODE_LSHIFT: case VK_CODE_RSHIFT: return VK_CODE_SHIFT;
    case VK_CODE_LCONTROL: case VK_CODE_RCONTROL: return VK_CODE_CONTROL;
    case VK_CODE_LMENU: case VK_CODE_RMENU: return VK_CODE_MENU;
    default: return 0;
    }
}
