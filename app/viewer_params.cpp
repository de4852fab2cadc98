// Viewer parameters: "config.txt" is read, completed with the two settings,
// read back, rewritten in normal form and released, in that order, before the
// window exists. The configuration store does the file work.
#include "app/viewer_params.h"

#include <cstdlib>

#include "framework/config/config.h"
#include "framework/util/utils.h"

// Completes the list with the two settings and reads them back.
static ViewerParams params_of(GrowArray* list, double* phase_degrees) {
    config_default(list, "Accelerating phase (degrees)", "-30");
    config_default(list, "Max cells to track", "100");
    ViewerParams p;
    // "Max cells" is a prefix: it finds "Max cells to track", and a user's own
    // shorter "Max cells" line wins over it.
    const char* phase = config_get(*list, "Accelerating phase (degrees)");
    const char* cells = config_get(*list, "Max cells");
    double degrees = phase ? atof(phase) : 0.0;
    p.phase = (float)(degrees * 0.017453292519943295);  // degrees to radians in double
    p.cells = cells ? parse_int(cells) : 0;
    if (phase_degrees) *phase_degrees = degrees;
    return p;
}

ViewerParams read_viewer_params() {
    GrowArray list = read_config("config.txt", ':');
    ViewerParams p = params_of(&list, nullptr);
    write_config(list, "config.txt", ':');  // an unwritable file is skipped
    free_config(list);
    return p;
}

ViewerParams peek_viewer_params(double* phase_degrees) {
    GrowArray list = read_config("config.txt", ':');
    ViewerParams p = params_of(&list, phase_degrees);
    free_config(list);
    return p;
}
