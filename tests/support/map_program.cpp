// The stability program for GL tests (see map_program.h).
#include "tests/support/map_program.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/render/stability_shader.h"
#include "framework/shader/shader.h"

GLuint test_map_program() {
    static GLuint program = 0;
    if (program) return program;
    char *fragment_log = nullptr, *link_log = nullptr;
    program = build_fragment_program(stability_fragment_source, &fragment_log, &link_log);
    EXPECT_STREQ(fragment_log, "No information log");
    EXPECT_STREQ(link_log, "No information log");
    free(fragment_log);
    free(link_log);
    return program;
}
