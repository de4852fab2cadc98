// The filter over wglGetProcAddress answers: the values some drivers give for
// a function they lack are no entry points.
#include <gtest/gtest.h>

#include <cstdint>

#include "framework/platform/gl_proc.h"

TEST(GlProc, DriverPlaceholdersAreMissing) {
    for (uintptr_t v : {(uintptr_t)0, (uintptr_t)1, (uintptr_t)2, (uintptr_t)3, UINTPTR_MAX})
        EXPECT_EQ(gl_proc_or_null((void*)v), nullptr) << v;
    int entry;
    EXPECT_EQ(gl_proc_or_null(&entry), &entry);
    EXPECT_EQ(gl_proc_or_null((void*)(uintptr_t)4), (void*)(uintptr_t)4);
}
