// The viewer's two physics parameters, read from "config.txt" at start-up and
// written back at exit when the keys changed them.
#pragma once
#include "app/model/harmonic.h"

#include <string>

struct ViewerParams {
    float phase;           // accelerating phase, radians
    int cells;             // number of cells to track
    double phase_degrees;  // the phase as the file gives it
    Harmonic harmonic;     // off unless the file holds its keys
    // The entries read, key and value as the file has them (the defaults
    // where it has none), for the command line to check.
    std::string phase_key, phase_text, cells_key, cells_text;
};

// Reads "config.txt", adds the two settings when missing, rewrites the file.
ViewerParams read_viewer_params();
// The same values without writing anything (the file may not even exist).
ViewerParams peek_viewer_params();
// Puts the changed values into "config.txt" where the next start will read
// them, the rest of the file kept in normal form. A file that cannot be
// written is left as it is and the failure logged. Returns 1 when written.
// A second harmonic given is written too, its three keys added when missing:
// until a user sets it the file holds none of them.
int save_viewer_params(double phase_degrees, bool phase_changed, int cells, bool cells_changed,
                       const Harmonic* harmonic = nullptr);
