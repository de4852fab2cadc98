// The viewer's two physics parameters, read from "config.txt" at start-up.
#pragma once

struct ViewerParams {
    float phase;  // accelerating phase, radians
    int cells;    // number of cells to track
};

// Reads "config.txt", adds the two settings when missing, rewrites the file.
ViewerParams read_viewer_params();
// The same values without writing anything (the file may not even exist);
// phase_degrees, when given, receives the phase as configured, in degrees.
ViewerParams peek_viewer_params(double* phase_degrees);
