// Fetching the OpenGL 2.0 entry points and building programs with their logs.
// Compile and link status are not queried: the logs carry the driver's word.
#include "framework/shader/shader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/window/error_log.h"

static float version_number() {
    const char* v = (const char*)glGetString(GL_VERSION);
    return v ? (float)atof(v) : 0.0f;
}

template <typename F>
static void fetch(F& slot, const char* name) {
    slot = (F)plat_gl_proc_address(name);
}

void load_gl2_functions() {
    GraphicsState& g = graphics;
    if (g.gl2_loaded) return;
    if (version_number() < 2.0f) {
        char text[128];
        snprintf(text, sizeof text, "OpenGL version 2.0 or higher required for shaders; you have version %g",
                 (double)version_number());
        fatal_error(text);
    }
    Gl2Functions& t = g.gl2;
    fetch(t.glCreateShader, "glCreateShader");
    fetch(t.glShaderSource, "glShaderSource");
    fetch(t.glCompileShader, "glCompileShader");
    fetch(t.glCreateProgram, "glCreateProgram");
    fetch(t.glAttachShader, "glAttachShader");
    fetch(t.glLinkProgram, "glLinkProgram");
    fetch(t.glUseProgram, "glUseProgram");
    fetch(t.glGetUniformLocation, "glGetUniformLocation");
    fetch(t.glUniform1f, "glUniform1f");
    fetch(t.glUniform1i, "glUniform1i");
    fetch(t.glGetShaderiv, "glGetShaderiv");
    fetch(t.glGetShaderInfoLog, "glGetShaderInfoLog");
    fetch(t.glGetProgramiv, "glGetProgramiv");
    fetch(t.glGetProgramInfoLog, "glGetProgramInfoLog");
    fetch(t.glActiveTexture, "glActiveTexture");
    g.gl2_loaded = true;
}

int shaders_available() {
    GraphicsState& g = graphics;
    if (g.shader_support_checked) return g.shader_support;
    g.shader_support_checked = 1;
    if (version_number() < 2.0f) {
        g.shader_support = 0;
        return 0;
    }
    load_gl2_functions();
    g.shader_support = 1;
    return 1;
}

GLuint compile_shader(GLenum type, const char* source) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    return s;
}

static char* copy_text(const char* s) {
    size_t n = strlen(s) + 1;
    char* c = (char*)malloc(n);
    if (!c) fatal_error("Out of memory");
    memcpy(c, s, n);
    return c;
}

char* info_log(GLuint object, bool is_program) {
    GLint n = 0;
    if (is_program) glGetProgramiv(object, GL_INFO_LOG_LENGTH, &n);
    else glGetShaderiv(object, GL_INFO_LOG_LENGTH, &n);
    if (n <= 0) return copy_text("No information log");
    char* log = (char*)calloc((size_t)n + 1, 1);  // one spare byte: the text stays terminated
    if (!log) fatal_error("Out of memory");
    if (is_program) glGetProgramInfoLog(object, n, nullptr, log);
    else glGetShaderInfoLog(object, n, nullptr, log);
    return log;
}

GLuint build_program(const char* vertex_source, const char* fragment_source, char** vertex_log,
                     char** fragment_log, char** program_log) {
    GLuint p = glCreateProgram();
    if (vertex_source) {
        GLuint s = compile_shader(GL_VERTEX_SHADER, vertex_source);
        if (vertex_log) *vertex_log = info_log(s, false);
        glAttachShader(p, s);
    }
    if (fragment_source) {
        GLuint s = compile_shader(GL_FRAGMENT_SHADER, fragment_source);
        if (fragment_log) *fragment_log = info_log(s, false);
        glAttachShader(p, s);
    }
    glLinkProgram(p);
    if (program_log) *program_log = info_log(p, true);
    return p;
}

GLuint build_fragment_program(const char* fragment_source, char** fragment_log, char** program_log) {
    if (!shaders_available()) return 0;
    return build_program(nullptr, fragment_source, nullptr, fragment_log, program_log);
}
