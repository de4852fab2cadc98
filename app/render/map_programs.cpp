// The map drawn in passes (see map_programs.h).
#include "app/render/map_programs.h"

#include <algorithm>
#include <cmath>

#include "app/render/map_view.h"
#include "framework/shader/shader.h"
#include "framework/window/caps.h"
#include "framework/window/pixel_store.h"

namespace {

// One pass: the default program's arithmetic, order of operations and tests,
// resumed from the state the last pass left (or begun from the pixel's start
// point), for at most `passes` passes.
const char* const PASS_SOURCE =
    "uniform float d,phase,maxit,passes,first,width,height;\n"
    "uniform sampler2D state;\n"
    "void main()\n"
    "{\n"
    "  float pi=3.14159265358979323846264;\n"
    "  float x=gl_TexCoord[0].s*pi*2.0;\n"
    "  float xp=gl_TexCoord[0].t*6.0-3.0;\n"
    "  float i=0.0;\n"
    "  if(first<0.5)\n"
    "  {\n"
    "    vec4 v=texture2D(state,gl_FragCoord.xy/vec2(width,height));\n"
    "    x=v.r; xp=v.g; i=v.b;\n"
    "  }\n"
    "  float sp=0.5*pi+phase;\n"
    "  float ssp=sin(sp);\n"
    "  float j=0.0;\n"
    "  while(j<passes && i<=maxit && x>=0.0 && x<=pi*2.0)\n"
    "  {\n"
    "    xp=xp+d*(sin(x)-ssp);\n"
    "    x=x+d*xp;\n"
    "    i=i+1.0;\n"
    "    j=j+1.0;\n"
    "  }\n"
    "  gl_FragColor=vec4(x,xp,i,1.0);\n"
    "}\n";

// The last state in the default program's colours.
const char* const COLOUR_SOURCE =
    "uniform float maxit,width,height;\n"
    "uniform sampler2D state;\n"
    "void main()\n"
    "{\n"
    "  float i=texture2D(state,gl_FragCoord.xy/vec2(width,height)).b;\n"
    "  if(i>maxit) gl_FragColor=vec4(0.0,0.0,0.0,1.0);\n"
    "  else gl_FragColor=vec4(0.01*i,min(1.0,0.1*i)-0.0001*i,0.5*i,1.0);\n"
    "}\n";

const GLenum FRAMEBUFFER = 0x8D40, COLOR_ATTACHMENT0 = 0x8CE0, FRAMEBUFFER_COMPLETE = 0x8CD5,
             FRAMEBUFFER_BINDING = 0x8CA6, RGBA32F = 0x8814;

struct Passes {
    GLuint single;                     // the default program
    float single_whole, single_short;  // largest maxit seen whole, smallest seen cut short (-1, 0: none)
    float loop_passes;                 // the longest loop seen whole; 0 until needed
    bool tried;                        // the pass programs and entry points were sought
    bool usable;                       // ... and found
    GLuint pass, colour;
    GLuint framebuffer, state[2];
    int state_w, state_h;
    float passes_whole;                // largest maxit the passes were seen to draw whole
    void(APIENTRY* gen_framebuffers)(GLsizei, GLuint*);
    void(APIENTRY* bind_framebuffer)(GLenum, GLuint);
    void(APIENTRY* framebuffer_texture_2d)(GLenum, GLenum, GLenum, GLuint, GLint);
    GLenum(APIENTRY* check_framebuffer_status)(GLenum);
};

Passes passes;

void set(GLuint program, const char* name, float value) {
    glUniform1f(glGetUniformLocation(program, name), value);
}

// Whether `draw`, drawing a unit quad into the bottom-left pixel alone, left it black.
template <class Draw>
bool corner_black(Draw draw) {
    glPushAttrib(GL_SCISSOR_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    bool drawn = draw();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
    unsigned char rgba[4] = {255, 255, 255, 255};
    PixelStore saved = pixel_store_pin(true);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    pixel_store_restore(saved);
    return drawn && (rgba[0] | rgba[1] | rgba[2]) == 0;
}

// Whether the single loop makes all maxit + 1 passes of a point that never
// moves (d = 0): it must stay black.
bool single_runs_whole(float maxit) {
    return corner_black([maxit] {
        glUseProgram(passes.single);
        set(passes.single, "d", 0);
        set(passes.single, "phase", 0);
        set(passes.single, "maxit", maxit);
        map_quad(0, 0, 1, 1, 0, 0, 1, 1);
        glUseProgram(0);
        return true;
    });
}

bool single_whole_for(float maxit) {
    Passes& p = passes;
    if (maxit <= p.single_whole) return true;
    if (p.single_short > 0 && maxit >= p.single_short) return false;
    if (single_runs_whole(maxit)) {
        p.single_whole = maxit;
        return true;
    }
    p.single_short = maxit;
    return false;
}

// The longest single loop seen whole: maxit + 1 passes for the largest maxit
// below the count seen cut short, by bisection.
float longest_loop() {
    float lo = std::max(passes.single_whole, 0.0f), hi = passes.single_short;
    while (hi - lo > 1) {
        float mid = std::floor((lo + hi) / 2);
        if (single_whole_for(mid)) lo = mid;
        else hi = mid;
    }
    return lo + 1;
}

GLuint build(const char* source) {
    GLuint program = build_fragment_program(source, nullptr, nullptr);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked ? program : 0;
}

bool find_means() {
    Passes& p = passes;
    if (p.tried) return p.usable;
    p.tried = true;
    const char* suffix = "";
    if (gl_version() < 3.0f && !gl_has_extension("GL_ARB_framebuffer_object")) {
        if (!gl_has_extension("GL_EXT_framebuffer_object")) return false;
        suffix = "EXT";
    }
    if (gl_version() < 3.0f && !gl_has_extension("GL_ARB_texture_float")) return false;
    bool ok = gl_fetch(p.gen_framebuffers, "glGenFramebuffers", suffix);
    ok = gl_fetch(p.bind_framebuffer, "glBindFramebuffer", suffix) && ok;
    ok = gl_fetch(p.framebuffer_texture_2d, "glFramebufferTexture2D", suffix) && ok;
    ok = gl_fetch(p.check_framebuffer_status, "glCheckFramebufferStatus", suffix) && ok;
    if (!ok) return false;
    p.pass = build(PASS_SOURCE);
    p.colour = build(COLOUR_SOURCE);
    if (!p.pass || !p.colour) return false;
    p.gen_framebuffers(1, &p.framebuffer);
    glGenTextures(2, p.state);
    p.usable = true;
    return true;
}

// The two state textures at least w x h, float, sampled texel for pixel.
bool size_state(int w, int h) {
    Passes& p = passes;
    if (p.state_w == w && p.state_h == h) return true;
    while (glGetError() != GL_NO_ERROR) {}
    for (GLuint t : p.state) {
        glBindTexture(GL_TEXTURE_2D, t);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, RGBA32F, w, h, 0, GL_RGBA, GL_FLOAT, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    bool ok = glGetError() == GL_NO_ERROR;
    p.state_w = ok ? w : 0;
    p.state_h = ok ? h : 0;
    return ok;
}

// The passes over the quad into the current draw buffer; false where the
// float target cannot be had.
bool draw_passes(float d, float phase, float maxit, float s0, float t0, float s1, float t1, float x0, float y0,
                 float x1, float y1) {
    Passes& p = passes;
    GLint viewport[4], bound = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(FRAMEBUFFER_BINDING, &bound);
    int w = viewport[0] + viewport[2], h = viewport[1] + viewport[3];
    if (!size_state(w, h)) return false;
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    p.bind_framebuffer(FRAMEBUFFER, p.framebuffer);
    int from = 0;
    bool ok = true;
    for (double done = 0; ok && (done == 0 || done <= maxit); done += p.loop_passes) {
        p.framebuffer_texture_2d(FRAMEBUFFER, COLOR_ATTACHMENT0, GL_TEXTURE_2D, p.state[1 - from], 0);
        if (done == 0) ok = p.check_framebuffer_status(FRAMEBUFFER) == FRAMEBUFFER_COMPLETE;
        if (!ok) break;
        glBindTexture(GL_TEXTURE_2D, p.state[from]);
        glUseProgram(p.pass);
        set(p.pass, "d", d);
        set(p.pass, "phase", phase);
        set(p.pass, "maxit", maxit);
        set(p.pass, "passes", p.loop_passes);
        set(p.pass, "first", done == 0 ? 1.0f : 0.0f);
        set(p.pass, "width", (float)w);
        set(p.pass, "height", (float)h);
        glUniform1i(glGetUniformLocation(p.pass, "state"), 0);
        map_quad(s0, t0, s1, t1, x0, y0, x1, y1);
        from = 1 - from;
    }
    p.bind_framebuffer(FRAMEBUFFER, (GLuint)bound);
    if (ok) {
        glBindTexture(GL_TEXTURE_2D, p.state[from]);
        glUseProgram(p.colour);
        set(p.colour, "maxit", maxit);
        set(p.colour, "width", (float)w);
        set(p.colour, "height", (float)h);
        glUniform1i(glGetUniformLocation(p.colour, "state"), 0);
        map_quad(s0, t0, s1, t1, x0, y0, x1, y1);
    }
    glUseProgram(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopAttrib();
    return ok;
}

}  // namespace

void map_programs_start(GLuint single) {
    passes = Passes();
    passes.single = single;
    passes.single_whole = -1;
    passes.passes_whole = -1;
}

bool map_programs_whole(float maxit) {
    Passes& p = passes;
    if (maxit <= map_whole_cells || single_whole_for(maxit)) return true;
    if (maxit <= p.passes_whole) return true;
    if (!find_means()) return false;
    if (p.loop_passes <= 0) p.loop_passes = longest_loop();
    // The passes where nothing moves must keep the point for all of them.
    bool whole = corner_black([maxit] { return draw_passes(0, 0, maxit, 0, 0, 1, 1, 0, 0, 1, 1); });
    if (whole) p.passes_whole = maxit;
    return whole;
}

bool map_programs_draw(GLuint program, float d, float phase, float maxit, const ViewWindow& v, float x0, float y0,
                       float x1, float y1) {
    Passes& p = passes;
    if (program == 0 || program != p.single || maxit <= map_whole_cells || single_whole_for(maxit)) return false;
    if (!find_means()) return false;  // the single loop, cut short: the best there is
    if (p.loop_passes <= 0) p.loop_passes = longest_loop();
    float s0 = (float)view_s(v.x0), s1 = (float)view_s(v.x1);
    float t0 = (float)view_t(v.xp0), t1 = (float)view_t(v.xp1);
    return draw_passes(d, phase, maxit, s0, t0, s1, t1, x0, y0, x1, y1);
}

void map_quad(float s0, float t0, float s1, float t1, float x0, float y0, float x1, float y1) {
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2f(x0, y0);
    glTexCoord2f(s1, t0);
    glVertex2f(x1, y0);
    glTexCoord2f(s1, t1);
    glVertex2f(x1, y1);
    glTexCoord2f(s0, t1);
    glVertex2f(x0, y1);
    glEnd();
}
