// The viewer's two physics parameters, read from "config.txt" at start-up.
#pragma once

struct ViewerParams {
    float phase;  // accelerating phase, radians
    int cells;    // number of cells to track
};

// Reads "config.txt", adds the two settings when missing, rewrites the file.
ViewerParams read_viewer_params();
