// The view's parts outside the map (see map_outside.h).
#include "app/render/map_outside.h"

#include "app/model/map_space.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"

void draw_map_outside(const ViewWindow& v, float x0, float y0, float x1, float y1) {
    bool left = v.x0 < map_x_min, right = v.x1 > map_x_max;
    if (!left && !right) return;
    // Where x = 0 and x = 2 pi fall on the quad.
    auto at = [&](double x) { return (float)(x0 + (x - v.x0) / (v.x1 - v.x0) * (x1 - x0)); };
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    if (left) {
        float r = v.x1 < map_x_min ? x1 : at(map_x_min);
        box_vertices(x0, y0, r - x0, y1 - y0, map_outside_colour);
    }
    if (right) {
        float l = v.x0 > map_x_max ? x0 : at(map_x_max);
        box_vertices(l, y0, x1 - l, y1 - y0, map_outside_colour);
    }
    glEnd();
    glPopAttrib();
}
