// The table of OpenGL 2.0 entry points the framework fetches at run time, a
// GL header of its own beside gl.h: the table lives in GraphicsState, the
// shader layer fills it, and code calls them through the macros of shader.h.
#pragma once
#include "framework/platform/gl.h"

#ifndef APIENTRY
#define APIENTRY
#endif

struct Gl2Functions {
    GLuint(APIENTRY* glCreateShader)(GLenum type);
    void(APIENTRY* glShaderSource)(GLuint shader, GLsizei count, const GLchar* const* string, const GLint* length);
    void(APIENTRY* glCompileShader)(GLuint shader);
    GLuint(APIENTRY* glCreateProgram)();
    void(APIENTRY* glAttachShader)(GLuint program, GLuint shader);
    void(APIENTRY* glLinkProgram)(GLuint program);
    void(APIENTRY* glUseProgram)(GLuint program);
    GLint(APIENTRY* glGetUniformLocation)(GLuint program, const GLchar* name);
    void(APIENTRY* glUniform1f)(GLint location, GLfloat v0);
    void(APIENTRY* glUniform1i)(GLint location, GLint v0);
    void(APIENTRY* glGetShaderiv)(GLuint shader, GLenum pname, GLint* params);
    void(APIENTRY* glGetShaderInfoLog)(GLuint shader, GLsizei size, GLsizei* length, GLchar* log);
    void(APIENTRY* glGetProgramiv)(GLuint program, GLenum pname, GLint* params);
    void(APIENTRY* glGetProgramInfoLog)(GLuint program, GLsizei size, GLsizei* length, GLchar* log);
    void(APIENTRY* glActiveTexture)(GLenum texture);
};
