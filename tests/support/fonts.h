// Font fixtures: the registry emptied between tests, and the embedded font
// loaded under a name. Need the test window's context.
#pragma once
#include "framework/text/font.h"

// Deletes every registered font, last first; nothing is current afterwards.
void delete_all_fonts();
// Loads the embedded font as `name` and returns its registered record.
Font* load_embedded_font(const char* name = "normal");
// The text settings (scale, blend mode, spacing, passes, pitch) back to what
// the program starts with.
void restore_text_settings();
