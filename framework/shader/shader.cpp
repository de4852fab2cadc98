// Fetching the OpenGL 2.0 entry points and building programs with their logs.
// Compile and link status are not queried: the logs carry the driver's word.
#include "framework/shader/shader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/core/error.h"
#include "framework/core/memory.h"
#include "framework/window/caps.h"

void load_gl2_functions() {
    GraphicsState& g = graphics;
    if (g.gl2_loaded) return;
    if (gl_version() < 2.0f) {
        char text[128];
        gl2_required_text(text, sizeof text);
        fatal_error(text);
    }
    Gl2Functions& t = g.gl2;
    gl_fetch(t.glCreateShader, "glCreateShader");
    gl_fetch(t.glShaderSource, "glShaderSource");
    gl_fetch(t.glCompileShader, "glCompileShader");
    gl_fetch(t.glCreateProgram, "glCreateProgram");
    gl_fetch(t.glAttachShader, "glAttachShader");
    gl_fetch(t.glLinkProgram, "glLinkProgram");
    gl_fetch(t.glUseProgram, "glUseProgram");
    gl_fetch(t.glGetUniformLocation, "glGetUniformLocation");
    gl_fetch(t.glUniform1f, "glUniform1f");
    gl_fetch(t.glUniform1i, "glUniform1i");
    gl_fetch(t.glGetShaderiv, "glGetShaderiv");
    gl_fetch(t.glGetShaderInfoLog, "glGetShaderInfoLog");
    gl_fetch(t.glGetProgramiv, "glGetProgramiv");
    gl_fetch(t.glGetProgramInfoLog, "glGetProgramInfoLog");
    gl_fetch(t.glActiveTexture, "glActiveTexture");
    g.gl2_loaded = true;
}

void gl2_required_text(char* out, size_t size) {
    snprintf(out, size, "OpenGL version 2.0 or higher required for shaders; you have version %g", (double)gl_version());
}

int shaders_available() {
    GraphicsState& g = graphics;
    if (g.shader_support_checked) return g.shader_support;
    g.shader_support_checked = 1;
    if (gl_version() < 2.0f) {
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

char* info_log(GLuint object, bool is_program) {
    GLint n = 0;
    if (is_program) glGetProgramiv(object, GL_INFO_LOG_LENGTH, &n);
    else glGetShaderiv(object, GL_INFO_LOG_LENGTH, &n);
    if (n <= 0) return heap_copy("No information log");
    char* log = (char*)heap_alloc_zeroed((size_t)n + 1, 1);  // one spare byte: the text stays terminated
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
