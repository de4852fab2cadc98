// OpenGL 2.0 shader support: the entry points fetched at run time into
// graphics.gl2, and program building that returns the driver's logs as heap
// strings (owned by the caller, freed with free). Needs a current context.
#pragma once
#include <cstddef>

#include "framework/window/graphics.h"

// Ends the process through fatal_error with gl2_required_text's words when
// the context has no OpenGL 2.0.
void load_gl2_functions();
// "OpenGL version 2.0 or higher required for shaders; you have version <v>"
// with the current context's version, into out.
void gl2_required_text(char* out, size_t size);
int shaders_available();
GLuint compile_shader(GLenum type, const char* source);
char* info_log(GLuint object, bool is_program);
GLuint build_program(const char* vertex_source, const char* fragment_source, char** vertex_log,
                     char** fragment_log, char** program_log);
GLuint build_fragment_program(const char* fragment_source, char** fragment_log, char** program_log);

// The 2.0 calls under their OpenGL names, through the table.
#define glCreateShader(...) graphics.gl2.glCreateShader(__VA_ARGS__)
#define glShaderSource(...) graphics.gl2.glShaderSource(__VA_ARGS__)
#define glCompileShader(...) graphics.gl2.glCompileShader(__VA_ARGS__)
#define glCreateProgram(...) graphics.gl2.glCreateProgram(__VA_ARGS__)
#define glAttachShader(...) graphics.gl2.glAttachShader(__VA_ARGS__)
#define glLinkProgram(...) graphics.gl2.glLinkProgram(__VA_ARGS__)
#define glUseProgram(...) graphics.gl2.glUseProgram(__VA_ARGS__)
#define glGetUniformLocation(...) graphics.gl2.glGetUniformLocation(__VA_ARGS__)
#define glUniform1f(...) graphics.gl2.glUniform1f(__VA_ARGS__)
#define glUniform1i(...) graphics.gl2.glUniform1i(__VA_ARGS__)
#define glGetShaderiv(...) graphics.gl2.glGetShaderiv(__VA_ARGS__)
#define glGetShaderInfoLog(...) graphics.gl2.glGetShaderInfoLog(__VA_ARGS__)
#define glGetProgramiv(...) graphics.gl2.glGetProgramiv(__VA_ARGS__)
#define glGetProgramInfoLog(...) graphics.gl2.glGetProgramInfoLog(__VA_ARGS__)
#define glActiveTexture(...) graphics.gl2.glActiveTexture(__VA_ARGS__)
