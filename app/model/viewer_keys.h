// The viewer's keys, in one table: each row says the keys as the help writes
// them, what they do, and binds them to the state's actions, so that the help
// panel, --help, the README's table (an end-to-end test holds the README to
// it) and the binding cannot disagree. ASCII only: the panel draws it with the
// embedded font. Letters are bound by their capitals' ASCII codes.
#pragma once
#include <cstdint>

struct ViewerState;

// What a bound key does to the state; `shift` is whether Shift was down.
using KeyAction = void (*)(ViewerState* s, bool shift);

struct KeyBinding {
    unsigned char vk;  // virtual-key code; 0 ends the row's bindings
    KeyAction act;
};

struct ViewerKey {
    const char* keys;
    const char* action;
    KeyBinding bind[2];  // none for the pointer's rows, which the state reads itself
};
extern const ViewerKey viewer_keys[];
extern const int viewer_key_count;

// The action bound to a virtual-key code, or null.
KeyAction viewer_key_action(unsigned char vk);
// Whether vk is bound to ending the viewer (Escape, Q).
bool viewer_key_ends(unsigned char vk);
