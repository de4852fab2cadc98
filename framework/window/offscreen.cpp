// Framebuffer-object targets: entry points fetched like the OpenGL 2.0 ones,
// sizes checked against the driver's limits before anything is allocated.
#include "framework/window/offscreen.h"

#include <cstdio>
#include <cstring>

#include "framework/platform/gl.h"
#include "framework/window/caps.h"
#include "framework/window/graphics.h"

namespace {

const GLenum FRAMEBUFFER = 0x8D40, RENDERBUFFER = 0x8D41, COLOR_ATTACHMENT0 = 0x8CE0, DEPTH_ATTACHMENT = 0x8D00,
             FRAMEBUFFER_COMPLETE = 0x8CD5, MAX_RENDERBUFFER_SIZE = 0x84E8, DEPTH_COMPONENT24 = 0x81A6;

struct FramebufferFunctions {
    void(APIENTRY* gen_framebuffers)(GLsizei, GLuint*);
    void(APIENTRY* bind_framebuffer)(GLenum, GLuint);
    void(APIENTRY* framebuffer_renderbuffer)(GLenum, GLenum, GLenum, GLuint);
    GLenum(APIENTRY* check_framebuffer_status)(GLenum);
    void(APIENTRY* delete_framebuffers)(GLsizei, const GLuint*);
    void(APIENTRY* gen_renderbuffers)(GLsizei, GLuint*);
    void(APIENTRY* bind_renderbuffer)(GLenum, GLuint);
    void(APIENTRY* renderbuffer_storage)(GLenum, GLenum, GLsizei, GLsizei);
    void(APIENTRY* delete_renderbuffers)(GLsizei, const GLuint*);
};

FramebufferFunctions fb;

// Fetched again for every target: a new context may come from another driver.
bool load_framebuffer_functions() {
    const char* suffix;
    if (gl_version() >= 3.0f || gl_has_extension("GL_ARB_framebuffer_object")) suffix = "";
    else if (gl_has_extension("GL_EXT_framebuffer_object")) suffix = "EXT";
    else return false;
    bool ok = gl_fetch(fb.gen_framebuffers, "glGenFramebuffers", suffix);
    ok = gl_fetch(fb.bind_framebuffer, "glBindFramebuffer", suffix) && ok;
    ok = gl_fetch(fb.framebuffer_renderbuffer, "glFramebufferRenderbuffer", suffix) && ok;
    ok = gl_fetch(fb.check_framebuffer_status, "glCheckFramebufferStatus", suffix) && ok;
    ok = gl_fetch(fb.delete_framebuffers, "glDeleteFramebuffers", suffix) && ok;
    ok = gl_fetch(fb.gen_renderbuffers, "glGenRenderbuffers", suffix) && ok;
    ok = gl_fetch(fb.bind_renderbuffer, "glBindRenderbuffer", suffix) && ok;
    ok = gl_fetch(fb.renderbuffer_storage, "glRenderbufferStorage", suffix) && ok;
    ok = gl_fetch(fb.delete_renderbuffers, "glDeleteRenderbuffers", suffix) && ok;
    return ok;
}

GLuint renderbuffer(GLenum format, int w, int h) {
    GLuint name = 0;
    fb.gen_renderbuffers(1, &name);
    fb.bind_renderbuffer(RENDERBUFFER, name);
    fb.renderbuffer_storage(RENDERBUFFER, format, w, h);
    return name;
}

}  // namespace

void offscreen_max_size(int* max_width, int* max_height) {
    *max_width = *max_height = 0;
    if (!load_framebuffer_functions()) return;
    GLint largest = 0, viewport[2] = {0, 0};
    glGetIntegerv(MAX_RENDERBUFFER_SIZE, &largest);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    *max_width = largest < viewport[0] ? largest : viewport[0];
    *max_height = largest < viewport[1] ? largest : viewport[1];
}

bool offscreen_open(OffscreenTarget* t, int w, int h, char* message, size_t size) {
    memset(t, 0, sizeof *t);
    if (w < 1 || h < 1) {
        snprintf(message, size, "a picture of %dx%d pixels has no pixels", w, h);
        return false;
    }
    int max_w, max_h;
    offscreen_max_size(&max_w, &max_h);
    if (max_w == 0) {
        snprintf(message, size, "this OpenGL has no framebuffer objects");
        return false;
    }
    if (w > max_w || h > max_h) {
        snprintf(message, size, "%dx%d is larger than this driver's largest picture, %dx%d", w, h, max_w, max_h);
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {}
    t->colour = renderbuffer(GL_RGBA8, w, h);
    t->depth = renderbuffer(DEPTH_COMPONENT24, w, h);
    fb.bind_renderbuffer(RENDERBUFFER, 0);
    bool stored = glGetError() == GL_NO_ERROR;  // out of memory shows here
    fb.gen_framebuffers(1, &t->framebuffer);
    fb.bind_framebuffer(FRAMEBUFFER, t->framebuffer);
    fb.framebuffer_renderbuffer(FRAMEBUFFER, COLOR_ATTACHMENT0, RENDERBUFFER, t->colour);
    fb.framebuffer_renderbuffer(FRAMEBUFFER, DEPTH_ATTACHMENT, RENDERBUFFER, t->depth);
    GLenum status = fb.check_framebuffer_status(FRAMEBUFFER);
    if (!stored || status != FRAMEBUFFER_COMPLETE) {
        if (!stored) snprintf(message, size, "the driver cannot hold a picture of %dx%d pixels", w, h);
        else snprintf(message, size, "framebuffer of %dx%d incomplete (status 0x%x)", w, h, (unsigned)status);
        offscreen_close(t);
        return false;
    }
    t->width = w;
    t->height = h;
    init_gl_state(w, h);
    return true;
}

void offscreen_close(OffscreenTarget* t) {
    if (t->framebuffer || t->colour || t->depth) {
        fb.bind_framebuffer(FRAMEBUFFER, 0);
        fb.delete_framebuffers(1, &t->framebuffer);
        fb.delete_renderbuffers(1, &t->colour);
        fb.delete_renderbuffers(1, &t->depth);
    }
    memset(t, 0, sizeof *t);
}
