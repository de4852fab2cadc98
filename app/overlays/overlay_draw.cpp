// The overlays' shared GL state (see overlay_draw.h).
#include "app/overlays/overlay_draw.h"

#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"

void begin_overlay_pixels() {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POINT_BIT);
    begin_window_coords();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glLineWidth(1);
    glPointSize(1);
}

void end_overlay_pixels() {
    end_window_coords();
    glPopAttrib();
}
