// The viewer's key table and its lookups (see viewer_keys.h).
#include "app/model/viewer_keys.h"

#include "app/model/viewer_state.h"
#include "framework/platform/keymap.h"

namespace {

void phase_down(ViewerState* s, bool shift) { state_turn_phase(s, shift ? -10 : -1); }
void phase_up(ViewerState* s, bool shift) { state_turn_phase(s, shift ? 10 : 1); }
void cells_up(ViewerState* s, bool) { state_cells_up(s); }
void cells_down(ViewerState* s, bool) { state_cells_down(s); }
void fine_d_down(ViewerState* s, bool shift) { state_fine_d(s, -1, shift); }
void fine_d_up(ViewerState* s, bool shift) { state_fine_d(s, 1, shift); }
void lock(ViewerState* s, bool) { state_toggle_lock(s); }
void home(ViewerState* s, bool) { state_home(s); }
void status(ViewerState* s, bool) { state_toggle_status(s); }
void help(ViewerState* s, bool) { state_toggle_help(s); }
void preview(ViewerState* s, bool) { state_toggle_preview(s); }
void separatrix(ViewerState* s, bool) { state_toggle_separatrix(s); }
void clear_orbits(ViewerState* s, bool) { state_clear_orbits(s); }
void plot(ViewerState* s, bool) { state_toggle_plot(s); }
void save(ViewerState* s, bool) { state_request_save(s); }
void ratio(ViewerState* s, bool shift) { state_step_ratio(s, shift ? -harmonic_ratio_step : harmonic_ratio_step); }
void harmonic(ViewerState* s, bool) { state_next_harmonic(s); }
void harmonic_phase(ViewerState* s, bool shift) { state_turn_harmonic_phase(s, shift ? -10 : 10); }
void manifolds(ViewerState* s, bool) { state_toggle_manifolds(s); }
void tune_plot(ViewerState* s, bool) { state_toggle_tune_plot(s); }
void axes(ViewerState* s, bool) { state_toggle_axes(s); }
void flip_xp(ViewerState* s, bool) { state_toggle_flip(s); }
// The driver ends the loop on these (asked_to_end); the state has nothing to do.
void end(ViewerState*, bool) {}

}  // namespace

const ViewerKey viewer_keys[] = {
    {"pointer across", "sets the step d: 0 at the left edge, nearly 5 at the right", {}},
    {"Left / Right", "accelerating phase -1 / +1 degree (with Shift: 10), wrapping past +-180",
     {{VK_CODE_LEFT, phase_down}, {VK_CODE_RIGHT, phase_up}}},
    {"Up / Down", "cells to track: next / previous of 1, 2, 5 x 10^n (1 to 100000)", {{VK_CODE_UP, cells_up}, {VK_CODE_DOWN, cells_down}}},
    {"Space", "lock d where it is / let the pointer set it again", {{VK_CODE_SPACE, lock}}},
    {"[ / ]", "with d locked: d -0.001 / +0.001 (with Shift: 0.01)",
     {{VK_CODE_LBRACKET, fine_d_down}, {VK_CODE_RBRACKET, fine_d_up}}},
    {"Wheel", "zoom in / out by 1.25 about the point under the pointer", {}},
    {"Right drag", "move the view with the pointer", {}},
    {"Home", "the full view", {{VK_CODE_HOME, home}}},
    {"I", "status line on / off", {{'I', status}}},
    {"H, F1", "help panel on / off", {{'H', help}, {VK_CODE_F1, help}}},
    {"F", "preview: a coarser map while the map's inputs change", {{'F', preview}}},
    {"S", "continuum separatrix (yellow) and fixed points on / off", {{'S', separatrix}}},
    {"Left click", "with d locked: track the point under the pointer (16 kept, tracked anew as the map changes)", {}},
    {"C", "clear the tracked orbits", {{'C', clear_orbits}}},
    {"G", "plot of the measured bucket area against d on / off", {{'G', plot}}},
    {"M", "the map's own bucket edge at d: unstable manifold red, stable cyan (yellow: d -> 0)",
     {{'M', manifolds}}},
    {"T", "plot of the orbits' tunes against their amplitude (largest abs xp) on / off", {{'T', tune_plot}}},
    {"P", "save the window as tessaline-NNNN.png", {{'P', save}}},
    {"R / Shift+R", "second harmonic's voltage ratio +0.05 / -0.05 (0 to 2; 0 is off)", {{'R', ratio}}},
    {"N", "second harmonic's number: the next one (2 to 8)", {{'N', harmonic}}},
    {"J / Shift+J", "second harmonic's phase +10 / -10 degrees", {{'J', harmonic_phase}}},
    {"A", "axes: ticks, labels and the colour legend on / off", {{'A', axes}}},
    {"V", "flip: +xp at the top / at the bottom", {{'V', flip_xp}}},
    {"Escape, Q", "quit (phase and cells changed with keys go to config.txt)", {{VK_CODE_ESCAPE, end}, {'Q', end}}},
};
const int viewer_key_count = (int)(sizeof viewer_keys / sizeof viewer_keys[0]);

KeyAction viewer_key_action(unsigned char vk) {
    if (vk == 0) return nullptr;
    for (const ViewerKey& k : viewer_keys)
        for (const KeyBinding& b : k.bind)
            if (b.vk == vk) return b.act;
    return nullptr;
}

bool viewer_key_ends(unsigned char vk) { return vk != 0 && viewer_key_action(vk) == end; }
