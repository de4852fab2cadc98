// Immediate-mode solids with per-vertex normals: spheres, sphere octants,
// open cylinders, cubes and boxes, box edges. Only draw_sphere begins its own
// primitive; the rest emit into the caller's GL_QUADS (box_edges: GL_LINES).
#pragma once

// n: steps over a half turn; n <= 0 emits nothing. Colours are 0xRRGGBB.
void draw_sphere(double x, double y, double z, double r, int colour, int n);
void sphere_quads(double x, double y, double z, double r, int colour, int n);
// sx, sy, sz of +1 or -1 pick one of the eight octants.
void sphere_octant_quads(double x, double y, double z, double r, int sx, int sy, int sz, int colour, int n);
// An open tube from (x1, y1, z1) to (x2, y2, z2); a zero-length axis emits nothing.
void cylinder_quads(double x1, double y1, double z1, double x2, double y2, double z2, double r, int colour, int n);

// Faces in the order -z, +z, -y, +y, -x, +x; winding is not consistently outward.
void cube_quads(double x, double y, double z, double s);
void cube_quads_textured(double x, double y, double z, double s);  // (0,0)-(1,1) per face
void box_quads(double x1, double x2, double y1, double y2, double z1, double z2);
void box_quads_tiled(double x1, double x2, double y1, double y2, double z1, double z2, double t);  // repeats every t
void box_edges(double x1, double x2, double y1, double y2, double z1, double z2);  // 24 vertices, no normal
