// Offscreen GL contexts on Linux (platform.h): EGL on Mesa's surfaceless
// platform, which needs no X server at all, and GLX with a 1 x 1 pbuffer on
// the display in DISPLAY when EGL is missing or refuses. Either way the
// picture goes to a framebuffer object, never to a window.
#include "framework/platform/platform.h"
#include "framework/platform/x11_internal.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

#ifdef TESS_HAVE_EGL
#include <EGL/egl.h>
#include <EGL/eglext.h>
#endif

namespace {

struct OffscreenContext {
#ifdef TESS_HAVE_EGL
    EGLDisplay egl_display = EGL_NO_DISPLAY;
    EGLContext egl_context = EGL_NO_CONTEXT;
#endif
    Display* display = nullptr;
    GLXPbuffer pbuffer = 0;
    GLXContext glx_context = nullptr;
};

// Set while an EGL context of ours is current: GL entry points then come from EGL.
bool egl_current = false;

#ifdef TESS_HAVE_EGL
bool create_egl(OffscreenContext* c, char* why, size_t size) {
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!x11_has_extension(client, "EGL_MESA_platform_surfaceless")) {
        snprintf(why, size, "no surfaceless platform");
        return false;
    }
    auto get_display = (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    if (!get_display) {
        snprintf(why, size, "no eglGetPlatformDisplayEXT");
        return false;
    }
    EGLDisplay d = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (d == EGL_NO_DISPLAY || !eglInitialize(d, &major, &minor)) {
        snprintf(why, size, "display not initialised (error 0x%x)", (unsigned)eglGetError());
        return false;
    }
    const char* ext = eglQueryString(d, EGL_EXTENSIONS);
    // Nothing is ever drawn to a surface, so no config is needed where the driver allows that.
    EGLConfig config = EGL_NO_CONFIG_KHR;
    bool have_config = x11_has_extension(ext, "EGL_KHR_no_config_context") ||
                       x11_has_extension(ext, "EGL_MESA_configless_context");
    if (!have_config) {
        EGLint attrs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint n = 0;
        have_config = eglChooseConfig(d, attrs, &config, 1, &n) && n > 0;
    }
    // No version asked for: the driver's compatibility profile, which keeps the
    // fixed-function calls and the GLSL 1.10 programs of OpenGL 2.0.
    EGLContext ctx = EGL_NO_CONTEXT;
    if (have_config && x11_has_extension(ext, "EGL_KHR_surfaceless_context") && eglBindAPI(EGL_OPENGL_API))
        ctx = eglCreateContext(d, config, EGL_NO_CONTEXT, nullptr);
    if (ctx == EGL_NO_CONTEXT || !eglMakeCurrent(d, EGL_NO_SURFACE, EGL_NO_SURFACE, ctx)) {
        snprintf(why, size, "no desktop OpenGL context without a surface (error 0x%x)", (unsigned)eglGetError());
        if (ctx != EGL_NO_CONTEXT) eglDestroyContext(d, ctx);
        eglTerminate(d);
        return false;
    }
    c->egl_display = d;
    c->egl_context = ctx;
    egl_current = true;
    return true;
}
#endif

// The parts of a GLX context that were made, and the display they were made on.
void release_glx(Display* d, GLXContext ctx, GLXPbuffer pbuffer) {
    if (ctx) glXDestroyContext(d, ctx);
    if (pbuffer) glXDestroyPbuffer(d, pbuffer);
    XCloseDisplay(d);
}

bool create_glx(OffscreenContext* c, char* why, size_t size) {
    const char* name = getenv("DISPLAY");
    if (!name || !name[0]) {
        snprintf(why, size, "DISPLAY is not set");
        return false;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        snprintf(why, size, "cannot open display %s", name);
        return false;
    }
    // A refused request here only means no context.
    int (*old_handler)(Display*, XErrorEvent*) = XSetErrorHandler(x11_ignore_errors);
    int attrs[] = {GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_RED_SIZE, 8,
                   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
    int n = 0;
    GLXFBConfig* configs = glXChooseFBConfig(d, DefaultScreen(d), attrs, &n);
    GLXPbuffer pbuffer = 0;
    GLXContext ctx = nullptr;
    if (configs && n > 0) {
        int pb_attrs[] = {GLX_PBUFFER_WIDTH, 1, GLX_PBUFFER_HEIGHT, 1, None};
        pbuffer = glXCreatePbuffer(d, configs[0], pb_attrs);
        ctx = glXCreateNewContext(d, configs[0], GLX_RGBA_TYPE, nullptr, True);
    }
    if (configs) XFree(configs);
    bool ok = pbuffer && ctx && glXMakeContextCurrent(d, pbuffer, pbuffer, ctx);
    XSync(d, False);
    XSetErrorHandler(old_handler);
    if (!ok) {
        snprintf(why, size, "no pbuffer context on display %s", name);
        release_glx(d, ctx, pbuffer);
        return false;
    }
    c->display = d;
    c->pbuffer = pbuffer;
    c->glx_context = ctx;
    return true;
}

}  // namespace

void* plat_create_offscreen_context(char* message, size_t size) {
    OffscreenContext* c = new OffscreenContext;
    char egl_why[160] = "not built in";
#ifdef TESS_HAVE_EGL
    if (create_egl(c, egl_why, sizeof egl_why)) {
        if (message && size) snprintf(message, size, "EGL on Mesa's surfaceless platform");
        return c;
    }
#endif
    char glx_why[160] = "";
    if (create_glx(c, glx_why, sizeof glx_why)) {
        if (message && size) snprintf(message, size, "GLX pbuffer on display %s", getenv("DISPLAY"));
        return c;
    }
    delete c;
    if (message && size) snprintf(message, size, "EGL: %s; GLX: %s", egl_why, glx_why);
    return nullptr;
}

void plat_release_offscreen_context(void* context) {
    OffscreenContext* c = (OffscreenContext*)context;
    if (!c) return;
#ifdef TESS_HAVE_EGL
    if (c->egl_context != EGL_NO_CONTEXT) {
        eglMakeCurrent(c->egl_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        egl_current = false;
        eglDestroyContext(c->egl_display, c->egl_context);
        // The display stays initialised for the next context: there is one
        // per process, and terminating it unloads the driver, whose leftovers
        // a leak checker can then no longer put a name to.
        eglReleaseThread();
    }
#endif
    if (c->glx_context) {
        glXMakeContextCurrent(c->display, None, None, nullptr);
        release_glx(c->display, c->glx_context, c->pbuffer);
    }
    delete c;
}

void* x11_offscreen_proc_address(const char* name) {
#ifdef TESS_HAVE_EGL
    if (egl_current) return (void*)eglGetProcAddress(name);
#endif
    (void)name;
    return nullptr;
}
