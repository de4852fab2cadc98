// Viewer parameters: "config.txt" is read, completed with the two settings,
// read back, rewritten in normal form and released, in that order, before the
// window exists. The configuration store does the file work.
#include "app/model/viewer_params.h"

#include <cstdio>
#include <cstdlib>

#include "app/model/map_space.h"
#include "framework/config/config.h"
#include "framework/config/config_keys.h"
#include "framework/util/utils.h"
#include "framework/window/error_log.h"

static const char* const PHASE_KEY = "Accelerating phase (degrees)";
static const char* const CELLS_KEY = "Max cells to track";
static const char* const CELLS_QUERY = "Max cells";
// Read when present, written only once the user has set them.
static const char* const RATIO_KEY = "Second harmonic voltage ratio";
static const char* const NUMBER_KEY = "Second harmonic number";
static const char* const HARMONIC_PHASE_KEY = "Second harmonic phase (degrees)";

static void add_defaults(GrowArray* list) {
    config_default(list, PHASE_KEY, "-30");
    config_default(list, CELLS_KEY, "100");
}

// Completes the list with the two settings and reads them back.
static ViewerParams params_of(GrowArray* list) {
    add_defaults(list);
    ViewerParams p;
    // "Max cells" is a prefix: it finds "Max cells to track", and a user's own
    // shorter "Max cells" line wins over it.
    int phase_at = config_find(*list, PHASE_KEY), cells_at = config_find(*list, CELLS_QUERY);
    const ConfigEntry* e = config_entries(*list);
    const char* phase = phase_at >= 0 ? e[phase_at].value : nullptr;
    const char* cells = cells_at >= 0 ? e[cells_at].value : nullptr;
    if (phase) p.phase_key = e[phase_at].key, p.phase_text = phase;
    if (cells) p.cells_key = e[cells_at].key, p.cells_text = cells;
    p.phase_degrees = phase ? atof(phase) : 0.0;
    p.phase = map_phase_radians(p.phase_degrees);
    p.cells = cells ? parse_int(cells) : 0;
    const char* ratio = config_get(*list, RATIO_KEY);
    const char* number = config_get(*list, NUMBER_KEY);
    const char* harmonic_phase = config_get(*list, HARMONIC_PHASE_KEY);
    if (ratio) p.harmonic.ratio = atof(ratio);
    if (number) p.harmonic.number = parse_int(number);
    if (harmonic_phase) p.harmonic.phase_degrees = atof(harmonic_phase);
    p.harmonic = harmonic_clamped(p.harmonic);
    return p;
}

static void set_found_or_add(GrowArray* list, const char* key, const char* value) {
    if (!config_replace_found(list, key, value)) config_default(list, key, value);
}

ViewerParams read_viewer_params() {
    GrowArray list = read_config("config.txt", ':');
    ViewerParams p = params_of(&list);
    write_config(list, "config.txt", ':');  // an unwritable file is skipped
    free_config(list);
    return p;
}

ViewerParams peek_viewer_params() {
    GrowArray list = read_config("config.txt", ':');
    ViewerParams p = params_of(&list);
    free_config(list);
    return p;
}

int save_viewer_params(double phase_degrees, bool phase_changed, int cells, bool cells_changed,
                       const Harmonic* harmonic) {
    if (!phase_changed && !cells_changed && !harmonic) return 1;  // the file stays exactly as the start left it
    // Read again: whatever the user edited meanwhile is kept.
    GrowArray list = read_config("config.txt", ':');
    add_defaults(&list);
    // Each value goes to the entry the next start reads, even a shorter key of
    // the user's that shadows the default one.
    char text[64];
    if (phase_changed) {
        snprintf(text, sizeof text, "%.15lg", phase_degrees);
        config_replace_found(&list, PHASE_KEY, text);
    }
    if (cells_changed) {
        snprintf(text, sizeof text, "%d", cells);
        config_replace_found(&list, CELLS_QUERY, text);
    }
    if (harmonic) {
        snprintf(text, sizeof text, "%.15lg", harmonic->ratio);
        set_found_or_add(&list, RATIO_KEY, text);
        snprintf(text, sizeof text, "%d", harmonic->number);
        set_found_or_add(&list, NUMBER_KEY, text);
        snprintf(text, sizeof text, "%.15lg", harmonic->phase_degrees);
        set_found_or_add(&list, HARMONIC_PHASE_KEY, text);
    }
    int ok = write_config(list, "config.txt", ':');
    free_config(list);
    if (!ok) log_error("config.txt could not be written: the settings chosen with the keys are lost");
    return ok;
}
