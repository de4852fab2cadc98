// Shapes example: a lit scene of the 3D solids over a sky box made by
// make_cube_map, under a panel of the 2D primitives and both palettes.
// Keys: Escape quits, B toggles the blur, S saves a screenshot.
// Arguments: --fullscreen; --blur; --save <file.bmp> draws one frame into a BMP and exits.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/draw/blur.h"
#include "framework/draw/draw2d.h"
#include "framework/draw/palette.h"
#include "framework/draw/solids.h"
#include "framework/draw/texture.h"
#include "framework/platform/entry.h"
#include "examples/example_args.h"
#include "framework/platform/gl.h"
#include "framework/window/clock.h"
#include "framework/window/graphics.h"
#include "framework/window/screenshot.h"

static const double pi = 3.141592653589793;

static bool has_flag(const char* line, const char* flag) { return line && strstr(line, flag); }

// Sky: deep blue overhead fading to a pale horizon, brown ground, and a sun.
static void sky_colour(double x, double y, double z, unsigned char* rgb) {
    const double sun[3] = {0.48, 0.6, -0.64};  // unit length
    double up = y, glow = x * sun[0] + y * sun[1] + z * sun[2];
    double r, g, b;
    if (up >= 0) {
        double k = pow(up, 0.5);
        r = 0.75 - 0.65 * k, g = 0.85 - 0.55 * k, b = 1.0 - 0.25 * k;
    } else {
        double k = fmin(1.0, -up * 4);
        r = 0.45 - 0.2 * k, g = 0.38 - 0.2 * k, b = 0.3 - 0.2 * k;
    }
    if (glow > 0.995) r = g = 1, b = 0.85;
    else if (glow > 0.97) r += (glow - 0.97) * 10, g += (glow - 0.97) * 8;
    rgb[0] = (unsigned char)(fmin(r, 1) * 255.9);
    rgb[1] = (unsigned char)(fmin(g, 1) * 255.9);
    rgb[2] = (unsigned char)(fmin(b, 1) * 255.9);
}

// A 64 x 64 RGB checkerboard with its mipmap chain.
static unsigned make_checker() {
    static unsigned char pixels[64 * 64 * 3];
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            bool light = ((x / 8) ^ (y / 8)) & 1;
            unsigned char* p = &pixels[(y * 64 + x) * 3];
            p[0] = light ? 235 : 60, p[1] = light ? 225 : 90, p[2] = light ? 200 : 140;
        }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    upload_texture(GL_TEXTURE_2D, 3, 64, 64, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

static void setup_light() {
    const float position[4] = {0.48f, 0.6f, 0.64f, 0}, white[4] = {1, 1, 1, 1}, dim[4] = {0.25f, 0.25f, 0.3f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);  // in eye space: set under the identity
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, dim);
    glEnable(GL_LIGHT0);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    // One-sided: the solids' windings are not consistently outward, but their normals are.
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
}

static void draw_scene(double t, unsigned sky, unsigned checker) {
    double yaw = t * 12;  // degrees
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    set_perspective(70, 0.1f, 100);
    // The sky box sits in eye space; turning its texture turns the sky with the camera.
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glRotated(-yaw, 0, 1, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    draw_sky_box((int)sky);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);

    setup_light();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glTranslated(0, -0.6, -7);
    glRotated(12, 1, 0, 0);
    glRotated(yaw, 0, 1, 0);

    draw_sphere(-2.2, 0.6, 0, 0.9, 0xE04040, 16);
    glBegin(GL_QUADS);
    sphere_octant_quads(0, 0.2, 0, 1.0, 1, 1, 1, 0x40C0FF, 12);
    sphere_octant_quads(0, 0.2, 0, 1.0, -1, 1, -1, 0x40FF80, 12);
    sphere_octant_quads(0, 0.2, 0, 1.0, 1, -1, -1, 0xFFD040, 12);
    cylinder_quads(1.8, -0.8, -1.2, 2.6, 1.4, -0.4, 0.3, 0xC080FF, 14);
    cylinder_quads(-1, -0.8, 2, 1, -0.8, 2, 0.2, 0xFF9040, 10);
    glColor3ub(110, 100, 90);  // boxes take the current colour
    box_quads(-3.5, 3.5, -1.0, -0.8, -3.5, 3.5);  // the floor slab
    glEnd();

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, checker);
    glColor3ub(255, 255, 255);
    glBegin(GL_QUADS);
    cube_quads_textured(1.4, -0.8, 1.0, 0.9);
    box_quads_tiled(-3.2, -1.6, -0.8, -0.3, 1.4, 2.8, 0.5);
    glEnd();
    glDisable(GL_TEXTURE_2D);

    glDisable(GL_LIGHTING);
    glBegin(GL_LINES);
    glColor3ub(255, 255, 255);
    box_edges(-0.6, 0.6, -0.8, 1.4, -0.6, 0.6);  // a wire frame around the octants
    glEnd();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

static void draw_palettes(double x, double y, double cell) {
    float r[256], g[256], b[256];
    build_colour_index_table(r, g, b);
    glBegin(GL_QUADS);
    for (int i = 0; i < 256; i++) {
        set_colour_index(i);
        double cx = x + i * cell;
        glVertex2d(cx, y);
        glVertex2d(cx + cell, y);
        glVertex2d(cx + cell, y + 14);
        glVertex2d(cx, y + 14);
    }
    build_hue_palette(r, g, b);
    for (int i = 0; i < 256; i++) {
        int packed = (int)(r[i] * 255.9) << 16 | (int)(g[i] * 255.9) << 8 | (int)(b[i] * 255.9);
        box_vertices(x + i * cell, y + 18, cell, 14, packed);
    }
    glEnd();
}

static void draw_panel(double t) {
    const double w = graphics.width, h = graphics.height, top = h - 190;
    glViewport(0, 0, graphics.width, graphics.height);
    begin_window_coords();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    fill_sector(w / 2, top + 30000, 0, 30000, -pi, pi, 0x101820, 190);  // a huge disc: culling keeps it
    glDisable(GL_BLEND);
    draw_box(8.5, top + 8.5, w - 17, 173, 0x6080A0);
    draw_box_corners(12.5, top + 12.5, w - 12.5, top + 177.5, 0x304050);

    // Circles growing in radius: their segment counts grow with sqrt(r).
    double x = 40;
    for (double r = 2; r <= 48; r *= 2) {
        fill_circle(x, top + 60, r, 0x3070C0);
        draw_circle(x, top + 60, r + 3, 0xFFFFFF);
        x += r * 2 + 18;
    }
    // Arcs and sectors sweeping with time.
    double a = fmod(t, 2 * pi);
    draw_arc(x + 40, top + 60, 36, a, a + 4, 0xFFE060);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    fill_sector(x + 130, top + 60, 0, 44, 0, a, 0xFF6040, 200);
    fill_sector(x + 230, top + 60, 26, 44, -a, 0, 0x60FF90, 160);
    glDisable(GL_BLEND);

    // Points and a smoothed star of lines sharing one begin/end.
    double cx = x + 340, cy = top + 60;
    glBegin(GL_POINTS);
    for (int k = 0; k < 40; k++) point_vertex(cx - 50 + (k % 10) * 3, cy - 40 + (k / 10) * 3, 0xFFFFFF);
    glEnd();
    enable_smooth_lines();
    // Saturate blending needs destination alpha; plain alpha blending shows the smoothing anywhere.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_LINES);
    for (int k = 0; k < 24; k++) {
        double ang = k * pi / 12 + t * 0.3;
        line_vertices(cx + 20, cy, cx + 20 + 40 * cos(ang), cy + 40 * sin(ang), k % 2 ? 0xA0D0FF : 0xFFFFFF);
    }
    glEnd();
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    draw_line(cx + 80, cy - 40, cx + 160, cy + 40, 0xFF40FF);
    fill_box(cx + 90, cy - 10, 30, 20, 0x40FF40);

    draw_palettes(24, top + 120, (w - 48) / 256);
    end_window_coords();
}

static void draw_frame(double t, unsigned sky, unsigned checker, bool blur) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_scene(t, sky, checker);
    draw_panel(t);
    if (blur) blur_screen(6);
}

static bool pressed(int key) { return (graphics.keys[key] & 0x80) && !(graphics.keys_before[key] & 0x80); }

int app_main(const char* command_line) {
    char path[512];
    bool save = save_path(command_line, path, sizeof path);
    bool blur = has_flag(command_line, "--blur");
    graphics.windowed = !has_flag(command_line, "--fullscreen");
    if (!open_graphics(graphics.windowed ? 1024 : 0, graphics.windowed ? 720 : 0, "Tessaline shapes")) return 1;
    unsigned sky = make_cube_map(sky_colour, 128, 2);
    unsigned checker = make_checker();
    if (save) {
        draw_frame(2.0, sky, checker, blur);
        glFinish();
        int result = save_window_bmp(path, 0);
        if (result < 0) fprintf(stderr, "could not save %s\n", path);
        return result < 0 ? 1 : 0;
    }
    double start = timer();
    while (!pump_messages() && !(graphics.keys[0x1B] & 0x80)) {
        if (pressed('B')) blur = !blur;
        draw_frame(timer() - start, sky, checker, blur);
        if (pressed('S')) screenshot("shapes");
        end_frame(0x000000);
    }
    return 0;
}
