// Solids on a real context, captured in feedback mode: quad counts and order,
// vertex positions, normals (recovered from the lit colour under three axis
// lights), texture coordinates, and what each emitter leaves unset.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "framework/draw/solids.h"
#include "framework/platform/gl.h"
#include "framework/window/graphics.h"
#include "tests/support/feedback.h"
#include "tests/support/test_window.h"

namespace {

const double pi = 3.14159265358979323846;  // M_PI is not standard C++

struct V {
    double p[3], n[3], t[2];
    float colour[4];
};

// Object space equals window space in x and y under glOrtho(0, W, 0, H, -1000, 1000);
// window depth is 0.5 - z / 2000.
V decode(const FeedbackVertex& f) {
    V v = {{f.x, f.y, (0.5 - f.depth) * 2000}, {}, {f.s, f.t}, {f.colour[0], f.colour[1], f.colour[2], f.colour[3]}};
    return v;
}

bool same(const V& a, const V& b) {
    for (int k = 0; k < 3; k++)
        if (fabs(a.p[k] - b.p[k]) > 1e-3) return false;
    for (int k = 0; k < 3; k++)
        if (fabs(a.colour[k] - b.colour[k]) > 1e-5) return false;
    return true;
}

// Runs draw in feedback mode; polygons come back as quads, lines as vertex pairs.
std::vector<V> capture_once(const std::function<void()>& draw, bool* lines) {
    std::vector<FeedbackPrim> prims = feedback_capture(draw);
    std::vector<FeedbackVertex> vertices;
    for (const FeedbackPrim& p : prims)
        if (p.token == GL_LINE_TOKEN) vertices.insert(vertices.end(), p.v.begin(), p.v.end());
    *lines = !vertices.empty();
    if (!*lines) vertices = feedback_quads(prims);
    std::vector<V> out;
    for (const FeedbackVertex& f : vertices) out.push_back(decode(f));
    return out;
}

// Diffuse lights along +x, +y, +z (or their opposites) in red, green, blue:
// the lit colour of a vertex is then max(+-N, 0) per axis.
void axis_lights(float sign) {
    glEnable(GL_LIGHTING);
    const float black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    for (int k = 0; k < 3; k++) {
        GLenum light = GL_LIGHT0 + k;
        float position[4] = {0, 0, 0, 0}, diffuse[4] = {0, 0, 0, 1};
        position[k] = sign;
        diffuse[k] = 1;
        glEnable(light);
        glLightfv(light, GL_POSITION, position);
        glLightfv(light, GL_DIFFUSE, diffuse);
        glLightfv(light, GL_AMBIENT, black);
        glLightfv(light, GL_SPECULAR, black);
    }
}

// Positions, colours and texture coordinates unlit; normals from two lit passes.
std::vector<V> capture(const std::function<void()>& draw, bool* lines = nullptr) {
    glViewport(0, 0, graphics.width, graphics.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, graphics.width, 0, graphics.height, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    bool is_lines = false;
    glDisable(GL_LIGHTING);
    std::vector<V> plain = capture_once(draw, &is_lines);
    if (lines) *lines = is_lines;
    if (is_lines) return plain;
    axis_lights(1);
    std::vector<V> positive = capture_once(draw, &is_lines);
    axis_lights(-1);
    std::vector<V> negative = capture_once(draw, &is_lines);
    glDisable(GL_LIGHTING);
    EXPECT_EQ(positive.size(), plain.size());
    EXPECT_EQ(negative.size(), plain.size());
    for (size_t i = 0; i < plain.size() && i < positive.size() && i < negative.size(); i++)
        for (int k = 0; k < 3; k++) plain[i].n[k] = positive[i].colour[k] - negative[i].colour[k];
    return plain;
}

void expect_near3(const double* got, double x, double y, double z, double tolerance, const char* what, size_t i) {
    EXPECT_NEAR(got[0], x, tolerance) << what << " " << i;
    EXPECT_NEAR(got[1], y, tolerance) << what << " " << i;
    EXPECT_NEAR(got[2], z, tolerance) << what << " " << i;
}

class Solids : public ::testing::Test {
protected:
    void SetUp() override { test_window_open(640, 480); }
    void TearDown() override {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, graphics.width, graphics.height, 0, graphics.height / 2, -(graphics.height / 2));
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
};

const double cx = 320, cy = 240, cz = 10, pos_tol = 0.02, normal_tol = 1e-4;

// Spheres.

TEST_F(Solids, SphereEmitsMirroredQuadPairsInDescendingOrder) {
    constexpr int n = 4;
    constexpr double r = 100;
    std::vector<V> v = capture([] { draw_sphere(cx, cy, cz, r, 0x336699, n); });
    ASSERT_EQ(v.size(), 128u);  // 2 n^2 quads
    auto unit = [](int i, int j, double* u) {
        u[0] = cos(i * pi / n) * sin(j * pi / n);
        u[1] = sin(i * pi / n) * sin(j * pi / n);
        u[2] = cos(j * pi / n);
    };
    static const int di[4] = {0, 1, 1, 0}, dj[4] = {0, 0, 1, 1};
    for (size_t q = 0; q < 32; q++) {
        int i = n - 1 - (int)q / (2 * n), j = n - 1 - (int)(q / 2) % n;
        double mirror = q % 2 ? -1 : 1;
        for (int c = 0; c < 4; c++) {
            const V& got = v[q * 4 + c];
            double u[3];
            unit(i + di[c], j + dj[c], u);
            u[1] *= mirror;
            expect_near3(got.p, cx + r * u[0], cy + r * u[1], cz + r * u[2], pos_tol, "sphere vertex", q * 4 + c);
            expect_near3(got.n, u[0], u[1], u[2], normal_tol, "sphere normal", q * 4 + c);
            EXPECT_NEAR(got.colour[0], 0x33 / 255.0, 1e-6);
            EXPECT_NEAR(got.colour[2], 0x99 / 255.0, 1e-6);
        }
    }
}

TEST_F(Solids, SphereQuadsMatchDrawSphereInsideTheCallersBegin) {
    std::vector<V> own = capture([] { draw_sphere(cx, cy, cz, 50, 0xFF0000, 6); });
    std::vector<V> shared = capture([] {
        glBegin(GL_QUADS);
        sphere_quads(cx, cy, cz, 50, 0xFF0000, 6);
        glEnd();
    });
    ASSERT_EQ(own.size(), 2u * 36 * 4);
    ASSERT_EQ(shared.size(), own.size());
    for (size_t i = 0; i < own.size(); i++) ASSERT_TRUE(same(own[i], shared[i])) << i;
    EXPECT_TRUE(capture([] { draw_sphere(cx, cy, cz, 50, 0xFF0000, 0); }).empty());
    EXPECT_TRUE(capture([] { draw_sphere(cx, cy, cz, 50, 0xFF0000, -3); }).empty());
}

TEST_F(Solids, OctantCoversOneEighthOnTheChosenSide) {
    EXPECT_EQ(capture([] {
                  glBegin(GL_QUADS);
                  sphere_octant_quads(cx, cy, cz, 80, 1, 1, 1, 0xFFFFFF, 4);
                  glEnd();
              }).size(),
              16u);
    const int signs[][3] = {{1, 1, 1}, {-1, 1, -1}, {1, -1, 1}};
    for (const auto& s : signs) {
        std::vector<V> v = capture([&] {
            glBegin(GL_QUADS);
            sphere_octant_quads(cx, cy, cz, 80, s[0], s[1], s[2], 0xFFFFFF, 5);
            glEnd();
        });
        ASSERT_EQ(v.size(), 16u);  // n div 2 = 2: 4 quads
        for (size_t i = 0; i < v.size(); i++) {
            const double c[3] = {cx, cy, cz};
            for (int k = 0; k < 3; k++) {
                EXPECT_GE((v[i].p[k] - c[k]) * s[k], -1e-3) << i;
                EXPECT_NEAR(v[i].n[k], (v[i].p[k] - c[k]) / 80, 1e-3) << i;  // outward unit normal
            }
        }
    }
}

// Cylinders.

TEST_F(Solids, CylinderAlongXUsesTheAxisBranch) {
    const int n = 4;
    std::vector<V> v = capture([] {
        glBegin(GL_QUADS);
        cylinder_quads(cx, cy, cz, cx + 5, cy, cz, 30, 0x00FF00, n);
        glEnd();
    });
    ASSERT_EQ(v.size(), 2u * n * 4);
    // The last pair is k = 0: its first corners have the normal u = (0, 0, 1);
    // its far corners N_1 = u cos(pi/n) + v sin(pi/n) with v = (0, -1, 0).
    const V* q = &v[(2 * n - 2) * 4];
    expect_near3(q[0].n, 0, 0, 1, normal_tol, "N0", 0);
    expect_near3(q[0].p, cx, cy, cz + 30, pos_tol, "P1 + r N0", 0);
    expect_near3(q[1].p, cx + 5, cy, cz + 30, pos_tol, "P2 + r N0", 1);
    double c = cos(pi / n), s = sin(pi / n);
    expect_near3(q[2].n, 0, -s, c, normal_tol, "N1", 2);
    expect_near3(q[2].p, cx + 5, cy - 30 * s, cz + 30 * c, pos_tol, "P2 + r N1", 2);
    expect_near3(q[3].p, cx, cy - 30 * s, cz + 30 * c, pos_tol, "P1 + r N1", 3);
    const V* opposite = q + 4;  // the other half: negated normals
    expect_near3(opposite[0].n, 0, 0, -1, normal_tol, "-N0", 4);
    expect_near3(opposite[2].n, 0, s, -c, normal_tol, "-N1", 6);
}

TEST_F(Solids, CylinderAlongZUsesTheGeneralBranch) {
    const int n = 6;
    std::vector<V> v = capture([] {
        glBegin(GL_QUADS);
        cylinder_quads(cx, cy, cz, cx, cy, cz + 5, 40, 0x00FF00, n);
        glEnd();
    });
    ASSERT_EQ(v.size(), 2u * n * 4);
    const V* q = &v[(2 * n - 2) * 4];
    expect_near3(q[0].n, 0, 1, 0, normal_tol, "u", 0);  // u = (0, 1, 0)
    double c = cos(pi / n), s = sin(pi / n);
    expect_near3(q[2].n, -s, c, 0, normal_tol, "N1", 2);  // v = (-1, 0, 0)
    for (size_t i = 0; i < v.size(); i++) {
        EXPECT_NEAR(hypot(v[i].p[0] - cx, v[i].p[1] - cy), 40, pos_tol) << i;
        EXPECT_NEAR(v[i].n[2], 0, normal_tol) << i;
        EXPECT_NEAR(hypot(v[i].n[0], v[i].n[1]), 1, normal_tol) << i;
    }
}

TEST_F(Solids, ZeroLengthCylinderEmitsNothing) {
    EXPECT_TRUE(capture([] {
                    glBegin(GL_QUADS);
                    cylinder_quads(cx, cy, cz, cx, cy, cz, 40, 0x00FF00, 6);
                    glEnd();
                }).empty());
}

// Cubes and boxes.

const double face_normal[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};

TEST_F(Solids, BoxFacesComeInFixedOrderWithTheirNormals) {
    const double x1 = 300, x2 = 340, y1 = 200, y2 = 230, z1 = -20, z2 = 40;
    std::vector<V> v = capture([&] {
        glBegin(GL_QUADS);
        box_quads(x1, x2, y1, y2, z1, z2);
        glEnd();
    });
    ASSERT_EQ(v.size(), 24u);
    const double corners[6][4][3] = {
        {{x1, y1, z1}, {x2, y1, z1}, {x2, y2, z1}, {x1, y2, z1}}, {{x1, y1, z2}, {x2, y1, z2}, {x2, y2, z2}, {x1, y2, z2}},
        {{x1, y1, z1}, {x2, y1, z1}, {x2, y1, z2}, {x1, y1, z2}}, {{x1, y2, z1}, {x2, y2, z1}, {x2, y2, z2}, {x1, y2, z2}},
        {{x1, y1, z1}, {x1, y2, z1}, {x1, y2, z2}, {x1, y1, z2}}, {{x2, y1, z1}, {x2, y2, z1}, {x2, y2, z2}, {x2, y1, z2}},
    };
    for (int f = 0; f < 6; f++)
        for (int c = 0; c < 4; c++) {
            const V& got = v[f * 4 + c];
            expect_near3(got.p, corners[f][c][0], corners[f][c][1], corners[f][c][2], pos_tol, "corner", f * 4 + c);
            expect_near3(got.n, face_normal[f][0], face_normal[f][1], face_normal[f][2], normal_tol, "normal", f);
        }
}

TEST_F(Solids, CubeIsABoxOfSideS) {
    std::vector<V> cube = capture([] {
        glBegin(GL_QUADS);
        cube_quads(300, 200, 5, 25);
        glEnd();
    });
    std::vector<V> box = capture([] {
        glBegin(GL_QUADS);
        box_quads(300, 325, 200, 225, 5, 30);
        glEnd();
    });
    ASSERT_EQ(cube.size(), 24u);
    ASSERT_EQ(box.size(), 24u);
    for (size_t i = 0; i < 24; i++) expect_near3(cube[i].p, box[i].p[0], box[i].p[1], box[i].p[2], 1e-3, "cube", i);
}

TEST_F(Solids, TexturedCubeAndTiledBoxCoordinates) {
    glTexCoord2f(9, 9);
    std::vector<V> cube = capture([] {
        glBegin(GL_QUADS);
        cube_quads_textured(300, 200, 5, 25);
        glEnd();
    });
    ASSERT_EQ(cube.size(), 24u);
    const double unit[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (size_t i = 0; i < 24; i++) {
        EXPECT_EQ(cube[i].t[0], unit[i % 4][0]) << i;
        EXPECT_EQ(cube[i].t[1], unit[i % 4][1]) << i;
    }
    // A 4 x 2 x 1 box tiled every 2 units: a = 2, b = 1, c = 0.5.
    std::vector<V> box = capture([] {
        glBegin(GL_QUADS);
        box_quads_tiled(300, 304, 200, 202, 5, 6, 2);
        glEnd();
    });
    ASSERT_EQ(box.size(), 24u);
    const double extent[6][2] = {{2, 1}, {2, 1}, {2, 0.5}, {2, 0.5}, {1, 0.5}, {1, 0.5}};
    for (size_t i = 0; i < 24; i++) {
        EXPECT_EQ(box[i].t[0], unit[i % 4][0] * extent[i / 4][0]) << i;
        EXPECT_EQ(box[i].t[1], unit[i % 4][1] * extent[i / 4][1]) << i;
    }
    // The plain box leaves the caller's texture coordinate alone.
    glTexCoord2f(7, 8);
    glBegin(GL_QUADS);
    box_quads(0, 1, 0, 1, 0, 1);
    glEnd();
    float t[4];
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, t);
    EXPECT_EQ(t[0], 7.0f);
    EXPECT_EQ(t[1], 8.0f);
}

TEST_F(Solids, BoxEdgesAreTwelvePairsWithoutNormals) {
    const double x1 = 300, x2 = 340, y1 = 200, y2 = 230, z1 = -20, z2 = 40;
    glNormal3f(0.25f, 0.5f, 0.75f);
    bool lines = false;
    std::vector<V> v = capture(
        [&] {
            glBegin(GL_LINES);
            box_edges(x1, x2, y1, y2, z1, z2);
            glEnd();
        },
        &lines);
    ASSERT_TRUE(lines);
    ASSERT_EQ(v.size(), 24u);
    float normal[4];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_EQ(normal[0], 0.25f);
    EXPECT_EQ(normal[1], 0.5f);
    EXPECT_EQ(normal[2], 0.75f);
    // Along x first, then y, then z: each edge changes exactly its axis.
    const double lo[3] = {x1, y1, z1}, hi[3] = {x2, y2, z2};
    for (int e = 0; e < 12; e++) {
        int axis = e / 4;
        const V &a = v[2 * e], &b = v[2 * e + 1];
        for (int k = 0; k < 3; k++) {
            if (k == axis) {
                EXPECT_NEAR(a.p[k], lo[k], pos_tol) << e;
                EXPECT_NEAR(b.p[k], hi[k], pos_tol) << e;
            } else {
                EXPECT_NEAR(a.p[k], b.p[k], pos_tol) << e;
            }
        }
    }
    expect_near3(v[2].p, x1, y1, z2, pos_tol, "second x edge", 2);
    expect_near3(v[10].p, x1, y1, z2, pos_tol, "second y edge", 10);
    expect_near3(v[18].p, x1, y2, z1, pos_tol, "second z edge", 18);
}

}  // namespace
