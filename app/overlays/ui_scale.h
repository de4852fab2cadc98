// The scale of the viewer's own texts (status line, help panel, plot): they
// follow the screen, where the overlay's specified texts (frame rate, tune,
// logs) stay as they are. Bitmap glyphs stay crisp at whole-number factors only.
#pragma once

// The factor for a window `height` rows high on a desktop of `system_scale`
// (1 at 96 dpi): one per 1080 rows, at least the system's (rounded), at least 1.
int ui_scale_for(int height, double system_scale);
// The same for this window and desktop (the desktop's scale asked once).
int ui_scale(int height);

// A text bracket (begin_text ... end_text) whose glyphs are k times their
// size; ui_text places a text at window pixel (x, y) inside it.
void begin_ui_text(int k);
void ui_text(int k, double x, double y, const char* text, int colour);
void end_ui_text();
