// Viewer parameters: the built-in values, until the configuration store is in.
#include "app/viewer_params.h"

ViewerParams read_viewer_params() {
    ViewerParams p;
    p.phase = (float)(-30 * 0.017453292519943295);
    p.cells = 100;
    return p;
}
