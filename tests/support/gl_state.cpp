// GL state checks (see gl_state.h).
#include "tests/support/gl_state.h"

#include <gtest/gtest.h>

#include "framework/platform/gl.h"

void expect_gl_at_rest() {
    GLint modelview = 0, projection = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelview);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projection);
    EXPECT_EQ(modelview, 1);
    EXPECT_EQ(projection, 1);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
