// Full-screen blur: per scale, a horizontal and a vertical pass, each a
// framebuffer-to-texture copy and two shifted window-sized quads at 1/3 and
// 1/4 opacity, which leave a 1/4, 1/2, 1/4 kernel along the pass's axis.
#include "framework/draw/blur.h"

#include <cmath>

#include "framework/core/numbers.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/window/graphics.h"

unsigned blur_texture = 0;
static int texture_width = 0, texture_height = 0;  // size of blur_texture's image, 0 before the first

int blur_texture_size(int n) {
    if (n <= 1) return 1;
    if (n >= (1 << 30)) return 1 << 30;
    return (int)next_power_of_two((uint32_t)n);
}

int blur_scale_count(float radius) {
    int count = 0;
    if (!std::isfinite(radius)) return 0;  // an endless halving otherwise
    while (radius >= 1) {
        count++;
        radius = radius * 0.5f;
    }
    return count;
}

// Copies the window into the texture's lower-left W x H texels, then repeats
// its last column and row into the margin the shifted quads sample. Only the
// window is read: outside it the framebuffer holds nothing defined. The corner
// beyond both edges is never sampled: each pass shifts along one axis only.
static void copy_frame(int w, int h, int margin) {
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);
    for (int k = 0; k < margin && w + k < texture_width; k++)
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, w + k, 0, w - 1, 0, 1, h);
    for (int k = 0; k < margin && h + k < texture_height; k++)
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, h + k, 0, h - 1, w, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

// Two window-sized quads, corners top-left, top-right, bottom-right,
// bottom-left; texture coordinates shifted by (ds, dt) and then by (-ds, -dt).
static void shifted_quads(double w, double h, float r, float o, float ds, float dt) {
    static const float alpha[2] = {0.33333334f, 0.25f};
    glBegin(GL_QUADS);
    for (int q = 0; q < 2; q++) {
        float sign = q ? -1.0f : 1.0f, s = ds * sign, t = dt * sign;
        glColor4f(1, 1, 1, alpha[q]);
        glTexCoord2f(s, o + t);
        glVertex2d(0, 0);
        glTexCoord2f(r + s, o + t);
        glVertex2d(w, 0);
        glTexCoord2f(r + s, t);
        glVertex2d(w, h);
        glTexCoord2f(s, t);
        glVertex2d(0, h);
    }
    glEnd();
}

void blur_screen(float radius) {
    if (!blur_texture) glGenTextures(1, &blur_texture);
    GLboolean textured = glIsEnabled(GL_TEXTURE_2D), lit = glIsEnabled(GL_LIGHTING);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, blur_texture);

    int w = graphics.width, h = graphics.height;
    int tw = blur_texture_size(w), th = blur_texture_size(h);
    float r = (float)w / tw, o = (float)h / th;
    if (tw != texture_width || th != texture_height) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, tw, th, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        texture_width = tw;
        texture_height = th;
    }
    begin_window_coords();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    if (!std::isfinite(radius) || w < 1 || h < 1) radius = 0;
    // Linear filtering at a shift of up to radius texels reaches ceil(radius) + 1 beyond the edge.
    int margin = radius >= 1 ? (int)ceilf(fminf(radius, (float)(tw > th ? tw : th))) + 1 : 0;
    for (; radius >= 1; radius = radius * 0.5f) {
        copy_frame(w, h, margin);
        shifted_quads(w, h, r, o, radius * (1.0f / tw), 0);
        copy_frame(w, h, margin);
        shifted_quads(w, h, r, o, 0, radius * (1.0f / th));
        margin = (int)ceilf(radius * 0.5f) + 1;
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, (GLuint)bound);  // the caller's texture, not ours
    if (!textured) glDisable(GL_TEXTURE_2D);
    if (lit) glEnable(GL_LIGHTING);
}
