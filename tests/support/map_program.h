// The stability program built once per test executable on the test window's
// context, with its compile and link logs checked on the way.
#pragma once
#include "framework/platform/gl.h"

GLuint test_map_program();
