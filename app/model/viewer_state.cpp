// The controls. Key codes are Windows virtual-key codes, which both platform
// backends deliver.
#include "app/model/viewer_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <cstring>

#include "app/model/map_space.h"
#include "app/model/physics.h"
#include "app/model/viewer_keys.h"
#include "framework/platform/keymap.h"

ViewerState viewer_state_make(double phase_degrees, int cells, const Harmonic& harmonic) {
    ViewerState s = {};
    s.harmonic = harmonic;
    s.phase_degrees = std::isfinite(phase_degrees) ? map_phase_wrapped(phase_degrees) : viewer_fallback_phase;
    s.phase = map_phase_radians(s.phase_degrees);
    s.cells = cells;
    s.view = view_full();
    s.status_shown = cells > viewer_cells_cap;
    if (s.phase_degrees != phase_degrees) {
        snprintf(s.notice, sizeof s.notice, "config.txt's phase %.6g drawn as %.6g", phase_degrees, s.phase_degrees);
        s.notice_until = HUGE_VAL;  // until another notice
        s.status_shown = true;
    }
    return s;
}

// The first control used brings the status line up.
static void mark_used(ViewerState* s) {
    if (!s->used) s->status_shown = true;
    s->used = true;
}

// A shown/hidden or on/off control.
static void flip(ViewerState* s, bool* setting) {
    mark_used(s);
    *setting = !*setting;
}

// The drag (re)starts from the current view and where the last frame saw the
// pointer: at the press, and after a key or the wheel changed the view mid-drag.
static void restart_drag(ViewerState* s) {
    s->drag_view = s->view;
    s->drag_x = s->last_mouse_x;
    s->drag_y = s->last_mouse_y;
}

void state_turn_phase(ViewerState* s, double degrees) {
    mark_used(s);
    s->phase_degrees = map_phase_wrapped(s->phase_degrees + degrees);
    s->phase = map_phase_radians(s->phase_degrees);  // as read at start-up
    s->phase_changed = true;
}

// The counts Up and Down step through: 1, 2, 5 x 10^n up to the cap.
static int cell_step(int k) {
    static const int mantissa[3] = {1, 2, 5};
    int n = mantissa[k % 3];
    for (int i = 0; i < k / 3; i++) n *= 10;
    return n;
}

void state_cells_up(ViewerState* s) {
    mark_used(s);
    if (s->cells >= viewer_cells_cap) return;  // at or past the cap, Up leaves it
    int k = 0;
    while (cell_step(k) <= s->cells) k++;  // a count between steps goes to the next one up
    s->cells = cell_step(k);
    s->cells_changed = true;
}

void state_cells_down(ViewerState* s) {
    mark_used(s);
    if (s->cells <= 1) return;
    int k = 0;
    while (cell_step(k + 1) < s->cells && cell_step(k + 1) <= viewer_cells_cap) k++;
    s->cells = cell_step(k);
    s->cells_changed = true;
}

void state_fine_d(ViewerState* s, int direction, bool coarse) {
    if (!s->d_locked) return;  // the pointer sets d: a step would be gone at the next motion
    mark_used(s);
    const double step = coarse ? viewer_fine_d_coarse : viewer_fine_d_step;
    // Onto the step's grid first, so that steps land on round values.
    double k = direction > 0 ? std::floor(s->d / step + 1e-9) + 1 : std::ceil(s->d / step - 1e-9) - 1;
    s->d = std::min(map_d_across, std::max(0.0, k * step));
}

void state_toggle_lock(ViewerState* s) {
    flip(s, &s->d_locked);
}

void state_zoom(ViewerState* s, double notches, double px, double py, int w, int h) {
    mark_used(s);
    ViewWindow z = view_zoomed(s->view, std::pow(viewer_zoom_step, notches), px, py, w, h);
    if (notches > 0) {
        // Go as deep as the float grid allows, a notch at a time, and no further.
        double n = notches;
        while (n > 0 && !view_resolvable(z, w, h)) {
            n = std::max(0.0, n - 1);
            z = view_zoomed(s->view, std::pow(viewer_zoom_step, n), px, py, w, h);
        }
        s->zoom_limited = n < notches;
        if (n <= 0) return;
    } else {
        s->zoom_limited = false;
    }
    s->view = z;
    if (s->dragging) restart_drag(s);
}

void state_drag(ViewerState* s, bool held, int mouse_x, int mouse_y, int w, int h) {
    if (held && !s->dragging) {
        // The press came after the last frame, so the pointer was pressed where
        // that frame saw it; any motion since already belongs to the drag.
        mark_used(s);
        s->dragging = true;
        restart_drag(s);
    }
    if (!s->dragging) return;
    s->view = view_panned(s->drag_view, mouse_x - s->drag_x, mouse_y - s->drag_y, w, h);
    // Panning towards larger coordinates coarsens the float grid: back off until it resolves.
    while (!view_resolvable(s->view, w, h) && view_zoom(s->view) > 1) {
        s->view = view_zoomed(s->view, 1 / viewer_zoom_step, w / 2.0, h / 2.0, w, h);
        s->zoom_limited = true;
    }
    if (!held) s->dragging = false;
}

void state_home(ViewerState* s) {
    mark_used(s);
    s->view = view_full();
    s->zoom_limited = false;
    if (s->dragging) restart_drag(s);
}

void state_toggle_status(ViewerState* s) {
    if (!s->used) {  // the first press shows it, whatever it was
        mark_used(s);
        return;
    }
    s->status_shown = !s->status_shown;
}

void state_toggle_help(ViewerState* s) {
    flip(s, &s->help_shown);
}

void state_toggle_preview(ViewerState* s) {
    flip(s, &s->preview);
}

void state_follow_pointer(ViewerState* s, int mouse_x, int w) {
    if (s->d_locked || w <= 0) return;
    s->d = (1.0 / w) * (mouse_x * map_d_across);  // the step exactly as the viewer always took it
}

void state_toggle_separatrix(ViewerState* s) {
    flip(s, &s->separatrix_shown);
}

void state_toggle_plot(ViewerState* s) {
    flip(s, &s->plot_shown);
}

void state_step_ratio(ViewerState* s, double step) {
    mark_used(s);
    double r = std::max(0.0, std::min(harmonic_max_ratio, s->harmonic.ratio + step));
    s->harmonic.ratio = std::fabs(r) < 1e-9 ? 0 : r;  // back to exactly 0: the single-RF map
    s->harmonic_changed = true;
}

void state_next_harmonic(ViewerState* s) {
    mark_used(s);
    int n = s->harmonic.number + 1;
    s->harmonic.number = n > harmonic_max_number ? harmonic_min_number : n;
    s->harmonic_changed = true;
}

void state_turn_harmonic_phase(ViewerState* s, double degrees) {
    mark_used(s);
    s->harmonic.phase_degrees += degrees;
    s->harmonic_changed = true;
}

void state_toggle_manifolds(ViewerState* s) {
    flip(s, &s->manifolds_shown);
}

void state_toggle_tune_plot(ViewerState* s) {
    flip(s, &s->tune_plot_shown);
}

// The kept orbits belong to the map shown, never to one that has gone.
static void orbits_follow_map(ViewerState* s) {
    for (int i = 0; i < s->orbit_count; i++) {
        s->orbits[i].d = (float)s->d;
        s->orbits[i].phase = s->phase;
        s->orbits[i].maxit = state_maxit(*s);
        s->orbits[i].second = harmonic_uniforms(s->harmonic);
    }
}

void state_toggle_axes(ViewerState* s) {
    flip(s, &s->axes_shown);
}

void state_toggle_flip(ViewerState* s) {
    flip(s, &s->flipped);
}

ViewWindow state_shown_view(const ViewerState& s) {
    ViewWindow v = s.view;
    if (s.flipped) std::swap(v.xp0, v.xp1);
    return v;
}

void state_click(ViewerState* s, int px, int py, int w, int h) {
    // Unlocked, the step follows the pointer and the click's own map would be
    // gone at once; a click there is no control at all.
    if (!s->d_locked || w <= 0 || h <= 0) return;
    mark_used(s);
    if (s->orbit_count == viewer_max_orbits) {
        std::copy(s->orbits + 1, s->orbits + viewer_max_orbits, s->orbits);
        s->orbit_count--;
    }
    // The pixel's centre in texture coordinates, rounded to float as the program gets them.
    StartPoint p = program_start((float)view_s(view_x_at(s->view, px + 0.5, w)),
                                 (float)view_t(view_xp_at(s->view, py + 0.5, h)));
    OrbitStart& o = s->orbits[s->orbit_count++];
    o.x = p.x;
    o.xp = p.xp;
    o.d = (float)s->d;
    o.phase = s->phase;
    o.maxit = state_maxit(*s);
    o.second = harmonic_uniforms(s->harmonic);
    o.serial = s->orbit_serial++;
}

void state_clear_orbits(ViewerState* s) {
    mark_used(s);
    s->orbit_count = 0;
}

void state_request_save(ViewerState* s) {
    mark_used(s);
    s->save_requested = true;
}

void state_notice(ViewerState* s, const char* text, double now) {
    snprintf(s->notice, sizeof s->notice, "%s", text);
    s->notice_until = now + viewer_notice_seconds;
}

static void apply_key(ViewerState* s, uint16_t press) {
    if (KeyAction act = viewer_key_action((unsigned char)(press & 0xFF))) act(s, (press & KEY_PRESS_SHIFT) != 0);
}

void apply_input(ViewerState* s, const ViewerInput& raw) {
    if (raw.minimised || raw.width <= 0 || raw.height <= 0) {
        s->dragging = false;  // the release may never reach us
        return;
    }
    // Flipped, the pointer's rows are mirrored, so that the controls work in the view's own orientation.
    ViewerInput in = raw;
    if (s->flipped) {
        in.mouse_y = in.height - 1 - in.mouse_y;
        in.click_y = in.height - 1 - in.click_y;
    }
    state_drag(s, (in.buttons & 2) != 0, in.mouse_x, in.mouse_y, in.width, in.height);
    s->last_mouse_x = in.mouse_x;
    s->last_mouse_y = in.mouse_y;
    if (s->notice[0] && in.now >= s->notice_until) s->notice[0] = 0;
    for (int i = 0; i < in.press_count; i++) apply_key(s, in.presses[i]);
    if ((in.clicks & 1) && !s->d_locked)
        state_notice(s, "d follows the pointer: press Space to lock it, then click to track an orbit", in.now);
    else if (in.clicks & 1)
        state_click(s, in.click_x, in.click_y, in.width, in.height);
    if (in.wheel != 0) state_zoom(s, in.wheel / 120.0, in.mouse_x + 0.5, in.mouse_y + 0.5, in.width, in.height);
    state_follow_pointer(s, in.mouse_x, in.width);
    orbits_follow_map(s);
}

bool state_same_picture(const ViewerState& a, const ViewerState& b) {
    bool orbits = a.orbit_count == b.orbit_count && a.orbit_serial == b.orbit_serial;
    return a.phase_degrees == b.phase_degrees && a.cells == b.cells && a.d == b.d && a.d_locked == b.d_locked &&
           view_equal(a.view, b.view) && a.used == b.used && a.status_shown == b.status_shown &&
           a.help_shown == b.help_shown && a.preview == b.preview && a.zoom_limited == b.zoom_limited &&
           a.dragging == b.dragging && a.separatrix_shown == b.separatrix_shown && a.plot_shown == b.plot_shown &&
           a.manifolds_shown == b.manifolds_shown && a.tune_plot_shown == b.tune_plot_shown &&
           a.axes_shown == b.axes_shown && a.flipped == b.flipped && harmonic_equal(a.harmonic, b.harmonic) &&
           // the status line names the point under the pointer
           (!a.status_shown || (a.last_mouse_x == b.last_mouse_x && a.last_mouse_y == b.last_mouse_y)) &&
           orbits && !a.save_requested && !b.save_requested && strcmp(a.notice, b.notice) == 0;
}

float state_maxit(const ViewerState& s) { return map_maxit(s.cells); }

bool asked_to_end(const ViewerInput& in, const unsigned char* keys) {
    for (int vk = 1; vk < 256; vk++)
        if ((keys[vk] & 0x80) && viewer_key_ends((unsigned char)vk)) return true;
    if (in.minimised) return false;  // keys typed at a minimised window are not the viewer's
    for (int i = 0; i < in.press_count; i++)
        if (viewer_key_ends((unsigned char)(in.presses[i] & 0xFF))) return true;
    return false;
}
