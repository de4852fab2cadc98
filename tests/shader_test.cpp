// Shader support against the real driver: entry points, logs, program names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "framework/shader/shader.h"
#include "tests/support/test_window.h"

namespace {

class ShaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_window_open();
        ASSERT_EQ(shaders_available(), 1) << "these tests need an OpenGL 2.0 driver";
    }
};

TEST_F(ShaderTest, EntryPointsAreFetchedOnce) {
    load_gl2_functions();
    ASSERT_TRUE(graphics.gl2_loaded);
    ASSERT_NE(graphics.gl2.glCreateShader, nullptr);
    ASSERT_NE(graphics.gl2.glActiveTexture, nullptr);
    auto saved = graphics.gl2.glUniform1i;
    graphics.gl2.glUniform1i = nullptr;
    load_gl2_functions();  // already loaded: the table is left alone
    EXPECT_EQ(graphics.gl2.glUniform1i, nullptr);
    graphics.gl2.glUniform1i = saved;
    EXPECT_EQ(graphics.shader_support_checked, 1);
    EXPECT_EQ(shaders_available(), 1);
}

TEST_F(ShaderTest, FailedCompileGivesTheDriversMessageAndAProgram) {
    char* fragment_log = nullptr;
    char* link_log = nullptr;
    GLuint p = build_fragment_program("void main() { gl_FragColor = undefined_thing; }", &fragment_log, &link_log);
    EXPECT_NE(p, 0u);
    ASSERT_NE(fragment_log, nullptr);
    ASSERT_NE(link_log, nullptr);
    EXPECT_NE(strstr(fragment_log, "undefined_thing"), nullptr) << fragment_log;
    EXPECT_STRNE(link_log, "");
    GLint linked = 1;
    glGetProgramiv(p, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, 0);
    free(fragment_log);
    free(link_log);
}

TEST_F(ShaderTest, CleanCompileSaysNoInformationLogAndDraws) {
    char* fragment_log = nullptr;
    char* link_log = nullptr;
    GLuint p = build_fragment_program("uniform float k; void main() { gl_FragColor = vec4(k, 0.0, 1.0, 1.0); }",
                                      &fragment_log, &link_log);
    ASSERT_NE(p, 0u);
    EXPECT_STREQ(fragment_log, "No information log");
    EXPECT_STREQ(link_log, "No information log");
    free(fragment_log);
    free(link_log);

    glDisable(GL_DEPTH_TEST);
    glUseProgram(p);
    glUniform1f(glGetUniformLocation(p, "k"), 1.0f);
    glUniform1f(glGetUniformLocation(p, "missing"), 1.0f);  // location -1 is ignored
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(8, 0);
    glVertex2i(8, 8);
    glVertex2i(0, 8);
    glEnd();
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    EXPECT_EQ(test_pixel(4, 4), 0xFF00FFu);
}

TEST_F(ShaderTest, AbsentSourcesAndLogDestinations) {
    char* vertex_log = nullptr;
    GLuint empty = build_program(nullptr, nullptr, &vertex_log, nullptr, nullptr);
    EXPECT_NE(empty, 0u);
    EXPECT_EQ(vertex_log, nullptr);  // no vertex source: its log is not touched
    GLint linked = 0;
    glGetProgramiv(empty, GL_LINK_STATUS, &linked);
    char* program_log = nullptr;
    GLuint both = build_program("void main() { gl_Position = ftransform(); }",
                                "void main() { gl_FragColor = vec4(1.0); }", &vertex_log, nullptr, &program_log);
    EXPECT_NE(both, 0u);
    ASSERT_NE(vertex_log, nullptr);
    ASSERT_NE(program_log, nullptr);
    glGetProgramiv(both, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, 1) << program_log;
    free(vertex_log);
    free(program_log);
}

}  // namespace
