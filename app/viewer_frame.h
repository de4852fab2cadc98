// One frame of the viewer, drawn into the back buffer: the map, the physics
// over it, the texts and a picture saved when asked. The driver and the
// explorer bench draw their frames with it; the frame's ending (finish, swap,
// clear, pump) stays with them.
#pragma once
#include "app/overlays/area_plot.h"
#include "app/overlays/manifold_overlay.h"
#include "app/overlays/tune_plot.h"
#include "app/model/bucket_status.h"
#include "app/render/map_view.h"
#include "app/overlays/orbits.h"
#include "app/overlays/overlay.h"
#include "app/overlays/physics_overlay.h"
#include "app/model/viewer_state.h"

// What the frames keep between them.
struct ViewerFrame {
    GLuint program;  // the stability program and its two logs
    const char* fragment_log;
    const char* link_log;
    GLuint harmonic_program;  // the second harmonic's, built when first needed; 0 until then
    const char* harmonic_fragment_log;
    const char* harmonic_link_log;
    Overlay overlay;
    MapView map;
    Separatrix separatrix;
    BucketStatus bucket;
    Orbits orbits;
    AreaPlot plot;
    ManifoldOverlay manifolds;
    TunePlot tune_plot;
    int picture_number;  // the next picture name to try
    ViewerState drawn;   // the state of the last frame drawn
    bool have_drawn;
};

// Once the window is open: the font loaded, the GL 2 entry points fetched, the
// stability program built (its logs kept for the overlay), the parts made and
// the overlay's clock started.
void viewer_frame_start(ViewerFrame* f);
// The frame for the state, its input applied; `now` is the frame's clock
// reading. Nothing is measured while the window is minimised.
void viewer_frame(ViewerFrame* f, ViewerState* state, bool minimised, double now);
// Whether the frame for the state would be the last one drawn again: the same
// state, the kept map whole and any bucket count final. The fps text aside,
// the picture on screen is then the frame, and the driver need not draw it.
bool viewer_frame_unchanged(const ViewerFrame* f, const ViewerState& state);
