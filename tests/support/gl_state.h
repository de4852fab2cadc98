// GL state checks for tests of drawing code.
#pragma once

// Both matrix stacks back at their bottom and no GL error pending: what a
// test leaves when the code under test restored what it changed.
void expect_gl_at_rest();
