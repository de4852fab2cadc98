// Solids emitted as quads with per-vertex normals for fixed-function
// lighting. The curved ones compute their sines and cosines once per call
// into two tables and reuse them for every quad.
#include "framework/draw/solids.h"

#include <cmath>
#include <cstdlib>

#include "framework/platform/gl.h"

static const double pi = 3.141592653589793;

static void set_colour(int colour) {
    glColor3ub((GLubyte)(colour >> 16 & 255), (GLubyte)(colour >> 8 & 255), (GLubyte)(colour & 255));
}

// cos and sin of k * pi / n for k = 0 .. count - 1, filled from the top down.
// Returns false (and nothing to free) when n or the allocation fails.
static bool angle_tables(int n, int count, double** cos_out, double** sin_out) {
    *cos_out = *sin_out = nullptr;
    if (n <= 0 || count <= 0) return false;
    double* c = (double*)malloc(sizeof(double) * (size_t)count);
    double* s = (double*)malloc(sizeof(double) * (size_t)count);
    if (!c || !s) {
        free(c);
        free(s);
        return false;
    }
    double step = 1.0 / n;
    for (int k = count - 1; k >= 0; k--) {
        double a = k * pi * step;
        c[k] = cos(a);
        s[k] = sin(a);
    }
    *cos_out = c;
    *sin_out = s;
    return true;
}

static void sphere_body(double x, double y, double z, double r, int colour, int n) {
    double *c, *s;
    set_colour(colour);
    if (n > 0x7ffffffe || !angle_tables(n, n + 1, &c, &s)) return;
    static const int corner_i[4] = {0, 1, 1, 0}, corner_j[4] = {0, 0, 1, 1};
    for (int i = n - 1; i >= 0; i--)
        for (int j = n - 1; j >= 0; j--)
            for (int mirror = 1; mirror >= -1; mirror -= 2)  // second copy: the y <= 0 half turn
                for (int v = 0; v < 4; v++) {
                    int a = i + corner_i[v], b = j + corner_j[v];
                    double ux = c[a] * s[b], uy = s[a] * s[b] * mirror, uz = c[b];
                    glNormal3d(ux, uy, uz);
                    glVertex3d(x + r * ux, y + r * uy, z + r * uz);
                }
    free(c);
    free(s);
}

void draw_sphere(double x, double y, double z, double r, int colour, int n) {
    glBegin(GL_QUADS);
    sphere_body(x, y, z, r, colour, n);
    glEnd();
}

void sphere_quads(double x, double y, double z, double r, int colour, int n) { sphere_body(x, y, z, r, colour, n); }

void sphere_octant_quads(double x, double y, double z, double r, int sx, int sy, int sz, int colour, int n) {
    double *c, *s;
    set_colour(colour);
    int h = n / 2;
    if (!angle_tables(n, h + 1, &c, &s)) return;
    double fx = sx, fy = sy, fz = sz;
    static const int corner_i[4] = {0, 1, 1, 0}, corner_j[4] = {0, 0, 1, 1};
    for (int i = h - 1; i >= 0; i--)
        for (int j = h - 1; j >= 0; j--)
            for (int v = 0; v < 4; v++) {
                int a = i + corner_i[v], b = j + corner_j[v];
                double ux = c[a] * s[b] * fx, uy = s[a] * s[b] * fy, uz = c[b] * fz;
                glNormal3d(ux, uy, uz);
                glVertex3d(x + r * ux, y + r * uy, z + r * uz);
            }
    free(c);
    free(s);
}

void cylinder_quads(double x1, double y1, double z1, double x2, double y2, double z2, double r, int colour, int n) {
    set_colour(colour);
    double dx = x2 - x1, dy = y2 - y1, dz = z2 - z1;
    double u[3], v[3];
    double yz = dy * dy + dz * dz;
    if (yz > 1e-12) {
        double l = sqrt(yz);
        u[0] = 0, u[1] = dz / l, u[2] = -dy / l;
    } else {
        double l = sqrt(dx * dx + dz * dz);
        if (!(l > 0)) return;  // no axis: the perpendiculars would be 0/0
        u[0] = -dz / l, u[1] = 0, u[2] = dx / l;
    }
    v[0] = dy * u[2] - dz * u[1];
    v[1] = dz * u[0] - dx * u[2];
    v[2] = dx * u[1] - dy * u[0];
    double vl = sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int k = 0; k < 3; k++) v[k] /= vl;

    double *c, *s;
    if (n > 0x7ffffffe || !angle_tables(n, n + 1, &c, &s)) return;
    for (int k = n - 1; k >= 0; k--)
        for (double side = 1; side >= -1; side -= 2) {  // second copy: the opposite half turn
            double a[3], b[3];
            for (int e = 0; e < 3; e++) {
                a[e] = (u[e] * c[k] + v[e] * s[k]) * side;
                b[e] = (u[e] * c[k + 1] + v[e] * s[k + 1]) * side;
            }
            glNormal3d(a[0], a[1], a[2]);
            glVertex3d(x1 + r * a[0], y1 + r * a[1], z1 + r * a[2]);
            glNormal3d(a[0], a[1], a[2]);
            glVertex3d(x2 + r * a[0], y2 + r * a[1], z2 + r * a[2]);
            glNormal3d(b[0], b[1], b[2]);
            glVertex3d(x2 + r * b[0], y2 + r * b[1], z2 + r * b[2]);
            glNormal3d(b[0], b[1], b[2]);
            glVertex3d(x1 + r * b[0], y1 + r * b[1], z1 + r * b[2]);
        }
    free(c);
    free(s);
}

// The six faces as corner selectors: bit 0 picks x2, bit 1 y2, bit 2 z2.
static const int face_corners[6][4] = {
    {0, 1, 3, 2},  // -z
    {4, 5, 7, 6},  // +z
    {0, 1, 5, 4},  // -y
    {2, 3, 7, 6},  // +y
    {0, 2, 6, 4},  // -x
    {1, 3, 7, 5},  // +x
};
static const float face_normals[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};

enum BoxTexture { box_plain, box_unit, box_tiled };

static void box_faces(double x1, double x2, double y1, double y2, double z1, double z2, BoxTexture mode,
                      double t) {
    double a = (x2 - x1) / t, b = (y2 - y1) / t, c = (z2 - z1) / t;
    // Tiled extents per face: z faces span x by y, y faces x by z, x faces y by z.
    const double extent[6][2] = {{a, b}, {a, b}, {a, c}, {a, c}, {b, c}, {b, c}};
    static const int corner_s[4] = {0, 1, 1, 0}, corner_t[4] = {0, 0, 1, 1};
    for (int f = 0; f < 6; f++) {
        glNormal3f(face_normals[f][0], face_normals[f][1], face_normals[f][2]);
        for (int v = 0; v < 4; v++) {
            int sel = face_corners[f][v];
            if (mode == box_unit) glTexCoord2f((float)corner_s[v], (float)corner_t[v]);
            if (mode == box_tiled) glTexCoord2d(corner_s[v] * extent[f][0], corner_t[v] * extent[f][1]);
            glVertex3d(sel & 1 ? x2 : x1, sel & 2 ? y2 : y1, sel & 4 ? z2 : z1);
        }
    }
}

void cube_quads(double x, double y, double z, double s) { box_faces(x, x + s, y, y + s, z, z + s, box_plain, 1); }

void cube_quads_textured(double x, double y, double z, double s) {
    box_faces(x, x + s, y, y + s, z, z + s, box_unit, 1);
}

void box_quads(double x1, double x2, double y1, double y2, double z1, double z2) {
    box_faces(x1, x2, y1, y2, z1, z2, box_plain, 1);
}

void box_quads_tiled(double x1, double x2, double y1, double y2, double z1, double z2, double t) {
    box_faces(x1, x2, y1, y2, z1, z2, box_tiled, t);
}

void box_edges(double x1, double x2, double y1, double y2, double z1, double z2) {
    // Along x, then y, then z; each pair differs in one bit of the selector.
    static const int edges[12][2] = {{0, 1}, {4, 5}, {2, 3}, {6, 7}, {0, 2}, {4, 6},
                                     {1, 3}, {5, 7}, {0, 4}, {2, 6}, {1, 5}, {3, 7}};
    for (int e = 0; e < 12; e++)
        for (int k = 0; k < 2; k++) {
            int sel = edges[e][k];
            glVertex3d(sel & 1 ? x2 : x1, sel & 2 ? y2 : y1, sel & 4 ? z2 : z1);
        }
}
