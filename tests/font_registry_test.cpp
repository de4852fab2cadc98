// The font registry with a real GL context: selection and the metric bytes,
// deletion with shared textures and random reselection, families, deleting a
// base that variants still use, and the placeholder font.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "tests/support/fonts.h"
#include "tests/support/test_window.h"

namespace {

Font* variant_of(Font* base, float x_scale) {
    Font* v = font_duplicate(base);
    v->style.x_scale = x_scale;
    v->style.own_glyph_count = 0;
    return v;
}

class FontRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        test_window_open();
        delete_all_fonts();
    }
    void TearDown() override { delete_all_fonts(); }
};

TEST(FontRegistryFresh, NothingExistsBeforeTheFirstFont) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a process whose registry was never made
    EXPECT_EXIT(
        {
            bool ok = fonts == nullptr && font_exists("normal") == 0 && current_font == nullptr;
            font_registry_init();
            exit(ok && fonts == (Font**)font_registry.data && fonts && font_registry.count == 0 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(FontRegistry, DeletingTheOnlyFontLeavesNoneCurrentAndReloadSelects) {
    font_delete(load_embedded_font("normal"));
    EXPECT_EQ(current_font, nullptr);
    EXPECT_EQ(font_registry.count, 0u);
    EXPECT_EQ(current_style.base, nullptr);  // no style keeps the released font
    Font* g = load_embedded_font("normal");
    EXPECT_EQ(current_font, g);
    EXPECT_EQ(current_style.base, g);
}

TEST_F(FontRegistry, SharedTextureLivesUntilItsLastUserGoes) {
    Font* base = load_embedded_font("normal");
    Font* v = variant_of(base, 2.0f);
    const GLuint texture = base->texture;
    ASSERT_EQ(v->texture, texture);
    font_delete(v);
    EXPECT_TRUE(glIsTexture(texture));
    font_delete(base);
    EXPECT_FALSE(glIsTexture(texture));
}

TEST_F(FontRegistry, DeleteFamilyRemovesBaseAndVariantsOnly) {
    Font* other = load_embedded_font("other");
    Font* base = load_embedded_font("normal");
    variant_of(base, 2.0f);
    font_select(variant_of(base, 3.0f));
    const GLuint texture = base->texture;
    font_delete_family(base);
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_TRUE(glIsTexture(other->texture));
    ASSERT_EQ(font_registry.count, 1u);
    EXPECT_EQ(current_font, other);  // the only font left
    EXPECT_EQ(current_style.base, other);
}

TEST_F(FontRegistry, DeletingABaseInUseTakesItsVariantsWithIt) {
    Font* other = load_embedded_font("other");
    Font* base = load_embedded_font("normal");
    variant_of(base, 2.0f);
    font_select(variant_of(base, 0.5f));
    font_delete(base);  // no variant may keep pointing at the released record
    ASSERT_EQ(font_registry.count, 1u);
    EXPECT_EQ(fonts[0], other);
    EXPECT_EQ(current_font, other);
    EXPECT_EQ(font_cell_width, 9);
}

TEST_F(FontRegistry, DeletingTheCurrentFontPicksTheRandDrawnIndex) {
    std::set<uint32_t> picks;
    for (unsigned seed = 1; seed <= 24; seed++) {
        Font* base = load_embedded_font("normal");
        for (int i = 0; i < 5; i++) variant_of(base, 1.0f + i);
        Font* victim = fonts[3];
        font_select(victim);
        srand(seed);
        const double r1 = rand() & 0x7FFF, r2 = rand() & 0x7FFF;
        const uint32_t n = font_registry.count - 1, want = (uint32_t)((r2 + r1 / 32768.0) * n / 32768.0);
        srand(seed);
        font_delete(victim);
        ASSERT_LT(want, n);
        EXPECT_EQ(current_font, fonts[want]);
        EXPECT_EQ(current_style.x_scale, fonts[want]->style.x_scale);
        EXPECT_EQ(font_cell_width, (uint8_t)(9 * fonts[want]->style.x_scale));
        picks.insert(want);
        delete_all_fonts();
    }
    EXPECT_GE(picks.size(), 3u);  // a real draw, not always the same slot
}

TEST_F(FontRegistry, DeletingAnotherFontSwapsTheLastIntoItsSlot) {
    Font* a = load_embedded_font("a");
    Font* b = load_embedded_font("b");
    Font* c = load_embedded_font("c");
    a->style.y_scale = 2.0f;  // edited after selection: the current style keeps its copy
    font_delete(b);
    ASSERT_EQ(font_registry.count, 2u);
    EXPECT_EQ(fonts[1], c);
    EXPECT_EQ(current_font, a);
    EXPECT_EQ(current_style.y_scale, 1.0f);
}

TEST_F(FontRegistry, SelectingTheCurrentFontChangesNothing) {
    Font* a = load_embedded_font("normal");
    Font* b = load_embedded_font("other");
    a->style.y_scale = 20.0f;
    font_select(a);  // already current: its edited style is not taken up
    EXPECT_EQ(font_line_height, 13);
    font_select(b);
    font_select(a);
    EXPECT_EQ(font_line_height, 4);  // 13 * 20 = 260, kept to 8 bits
    EXPECT_EQ(current_style.y_scale, 20.0f);
}

TEST_F(FontRegistry, NamesCompareIgnoringCaseAndAreOwnedCopies) {
    Font* a = load_embedded_font("NORMAL");
    EXPECT_EQ(font_exists("normal:bold"), 1);
    EXPECT_EQ(font_exists("norma:bold"), 0);
    EXPECT_EQ(font_exists("normalx"), 0);
    Font* d = font_duplicate(a);
    EXPECT_EQ(current_font, a);
    EXPECT_EQ(d->style.base, a);
    font_set_name(d, "copy");
    EXPECT_STREQ(a->name, "NORMAL");
    font_set_name(d, d->name);  // its own name: copied before the old one goes
    EXPECT_EQ(font_find("COPY:x"), d);
}

TEST_F(FontRegistry, CreateEmptyReplacesEveryFontOfThatName) {
    Font* other = load_embedded_font("other");
    Font* x = load_embedded_font("X");
    font_set_name(font_duplicate(x), "x");
    font_set_name(variant_of(x, 2.0f), "x");
    font_select(x);
    Font* p = font_create_empty("x");
    ASSERT_EQ(font_registry.count, 2u);
    EXPECT_EQ(fonts[0], other);
    EXPECT_EQ(fonts[1], p);
    EXPECT_EQ(current_font, other);  // the old current went; the placeholder is not selected
    EXPECT_EQ(p->style.base, p);
    EXPECT_EQ(p->max_height, 1);
    EXPECT_EQ(p->max_width, 1);
    EXPECT_EQ(p->cell_width, 2);
    EXPECT_EQ(p->texture_width * p->texture_height, 1);
    for (int k = 0; k < 512; k++) ASSERT_EQ(p->glyph_width[k], 1);
    uint8_t rgb[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);  // still bound
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(rgb[0], 1);
    EXPECT_STREQ(font_create_empty(p->name)->name, "x");  // its own name, owner deleted on the way
}

TEST_F(FontRegistry, MemoryEstimateCountsRecordsNamesAndAtlasRows) {
    load_embedded_font("normal");
    const uint32_t before = font_memory_estimate(), capacity = font_registry.capacity;
    font_set_name(font_duplicate(fonts[0]), "twelve chars");
    const uint32_t grown = (font_registry.capacity - capacity) * (uint32_t)sizeof(Font*);
    EXPECT_EQ(font_memory_estimate() - before, sizeof(Font) + 12 + 4u * 13 * 2048 + grown);
}

}  // namespace
