// What the user chose: the map's parameters, the step d and its lock, the view
// window and the toggles, in one record that the controls change, one function
// per input. No GL and no window: the driver hands in the frame's input.
#pragma once
#include <cstdint>

#include "app/model/harmonic.h"
#include "app/model/view_window.h"

const int viewer_cells_cap = 100000;  // Up stops here; "config.txt" may ask for more
const double viewer_zoom_step = 1.25;  // per wheel notch
const int viewer_max_orbits = 16;       // a click beyond drops the oldest
const double viewer_notice_seconds = 2;  // a notice stays this long in the status line
const double viewer_fallback_phase = -30;  // config.txt's default, for a phase that is not a finite number
const double viewer_fine_d_step = 0.001;   // [ and ] with d locked
const double viewer_fine_d_coarse = 0.01;  // the same with Shift

// One frame's input, taken from the framework's snapshot by the driver.
struct ViewerInput {
    int width, height;         // client pixels; 0 wide while minimised
    int mouse_x, mouse_y;
    int buttons;               // 2 = right button held
    int wheel;                 // turned since the last frame: 120 per notch, positive away
    const uint16_t* presses;   // keys pressed since the last frame, oldest first:
    int press_count;           //   virtual-key code | 0x100 when Shift was down
    bool minimised;
    int clicks;                // buttons pressed since the last frame: 1 = left
    int click_x, click_y;      // pointer at the latest press
    double now;                // clock reading, seconds
};

// A point whose orbit is drawn: where the click was, in phase space, and the
// map it is tracked in, which follows the map shown (apply_input): when d,
// phase or cells change the orbit is tracked again from the same start.
struct OrbitStart {
    float x, xp;            // the clicked pixel's start as the program takes it
    float d, phase, maxit;
    HarmonicUniforms second;
    int serial;             // counts every orbit begun: names it and picks its colour
};

struct ViewerState {
    double phase_degrees;  // accelerating phase as shown and saved
    float phase;           // the same in radians, as the program takes it
    int cells;             // cells to track
    double d;              // step of the map
    bool d_locked;         // the pointer no longer sets d
    ViewWindow view;
    bool used;             // a control was used: the status line came up
    bool status_shown;
    bool help_shown;
    bool preview;          // reduced resolution while the map's inputs move
    bool phase_changed;    // by keys: written back at exit
    bool cells_changed;
    bool zoom_limited;     // float precision ran out: zooming in stopped there
    bool dragging;         // right button held: the view follows the pointer
    int drag_x, drag_y;    // pointer where the drag began
    ViewWindow drag_view;  // view where the drag began
    int last_mouse_x, last_mouse_y;  // pointer at the previous frame
    bool separatrix_shown;  // S
    bool plot_shown;        // G
    bool manifolds_shown;   // M
    bool tune_plot_shown;   // T
    bool axes_shown;        // A: ticks, labels and the colour legend
    bool flipped;           // V: +xp at the top; the view itself keeps xp0 at the top
    OrbitStart orbits[viewer_max_orbits];  // oldest first
    int orbit_count;
    int orbit_serial;       // the next orbit's
    bool save_requested;    // P: the frame saves its picture once drawn
    char notice[96];        // shown in the status line until notice_until (clock seconds)
    double notice_until;
    Harmonic harmonic;      // the second RF harmonic: off until config.txt or a key sets it
    bool harmonic_changed;  // by keys: written back at exit
};

// The state at start-up: the parameters read from "config.txt" (the phase
// converted as at start-up), the full view, nothing used. A cell count beyond the cap
// brings the status line up at once, to warn that frames will be slow; so
// does a phase that would not draw as written (wrapped into (-180, 180], or
// not a finite number and then viewer_fallback_phase), with a lasting notice.
ViewerState viewer_state_make(double phase_degrees, int cells, const Harmonic& harmonic = Harmonic());

// The frame's input applied: the drag first (it began where the last frame saw
// the pointer), then key presses in order, a left click, the wheel and the
// pointer's step. Nothing changes while the window is minimised.
void apply_input(ViewerState* s, const ViewerInput& in);

// One function per control.
void state_turn_phase(ViewerState* s, double degrees);
// Up / Down: the next count of 1, 2, 5 x 10^n (1 to the cap) in that direction.
void state_cells_up(ViewerState* s);
void state_cells_down(ViewerState* s);
// [ / ]: d one fine step down (direction < 0) or up, onto the step's grid;
// coarse (Shift) steps ten times as far. Only while d is locked.
void state_fine_d(ViewerState* s, int direction, bool coarse);
void state_toggle_lock(ViewerState* s);
void state_zoom(ViewerState* s, double notches, double px, double py, int w, int h);  // at pixel (px, py)
void state_drag(ViewerState* s, bool held, int mouse_x, int mouse_y, int w, int h);
void state_home(ViewerState* s);
void state_toggle_status(ViewerState* s);
void state_toggle_help(ViewerState* s);
void state_toggle_preview(ViewerState* s);
void state_follow_pointer(ViewerState* s, int mouse_x, int w);  // d from the pointer unless locked
void state_toggle_separatrix(ViewerState* s);
void state_toggle_plot(ViewerState* s);
// The second harmonic: ratio by `step` within 0 .. 2, the next number (8 goes
// round to 2), its phase by `degrees`.
void state_step_ratio(ViewerState* s, double step);
void state_next_harmonic(ViewerState* s);
void state_turn_harmonic_phase(ViewerState* s, double degrees);
void state_toggle_manifolds(ViewerState* s);
void state_toggle_tune_plot(ViewerState* s);
void state_toggle_axes(ViewerState* s);
void state_toggle_flip(ViewerState* s);
// The view as drawn: upside down when flipped (xp0 then at the bottom).
ViewWindow state_shown_view(const ViewerState& s);
// An orbit from the pixel at (px, py) of a w x h window while d is locked;
// otherwise nothing at all.
void state_click(ViewerState* s, int px, int py, int w, int h);
void state_clear_orbits(ViewerState* s);
void state_request_save(ViewerState* s);
// A text for the status line, shown for viewer_notice_seconds from now.
void state_notice(ViewerState* s, const char* text, double now);

// Whether a and b show the same picture: everything drawn from the state agrees.
bool state_same_picture(const ViewerState& a, const ViewerState& b);

// The cell count as the program's limit: never past what its float counter can reach.
float state_maxit(const ViewerState& s);

// Whether the viewer ends after this pump: Escape or Q held in the keyboard
// snapshot `keys` (256 bytes, top bit = held), or pressed since the last pump
// while the window was showing. The snapshot is not refreshed while the window
// is minimised, and presses there do not count either: both take effect only
// once it is restored.
bool asked_to_end(const ViewerInput& in, const unsigned char* keys);
