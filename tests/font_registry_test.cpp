// The font registry with a real GL context: selection and the metric bytes,
// deletion with shared textures and random reselection, families, deleting a
// base that variants still use, the placeholder font and the name lookups.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "tests/support/test_window.h"

namespace {

void delete_all_fonts() {
    while (fonts && font_registry.count) font_delete(fonts[font_registry.count - 1]);
}

Font* load(const char* name) {
    loadfont_data(embedded_font, sizeof embedded_font, name, false);
    return fonts[font_registry.count - 1];
}

Font* variant_of(Font* base, float x_scale) {
    Font* v = font_duplicate(base);
    v->style.x_scale = x_scale;
    v->style.own_glyph_count = 0;
    return v;
}

bool registered(const Font* f) {
    for (uint32_t i = 0; fonts && i < font_registry.count; i++)
        if (fonts[i] == f) return true;
    return false;
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
            int ok = fonts == nullptr && font_exists("normal") == 0 && current_font == nullptr &&
                     font_find("normal") == nullptr;
            font_registry_init();
            ok = ok && fonts != nullptr && fonts == (Font**)font_registry.data && font_registry.count == 0;
            exit(ok ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(FontRegistry, DeletingTheOnlyFontLeavesNoneCurrentAndReloadSelects) {
    Font* f = load("normal");
    EXPECT_EQ(current_font, f);
    font_delete(f);
    EXPECT_EQ(current_font, nullptr);
    EXPECT_EQ(font_registry.count, 0u);
    EXPECT_EQ(current_style.base, nullptr);  // no style keeps the released font
    Font* g = load("normal");
    EXPECT_EQ(current_font, g);
    EXPECT_EQ(current_style.base, g);
}

TEST_F(FontRegistry, VariantDeletionKeepsSharedTextureUntilTheLastUser) {
    Font* base = load("normal");
    Font* v = variant_of(base, 2.0f);
    const GLuint texture = base->texture;
    ASSERT_EQ(v->texture, texture);
    font_delete(v);
    EXPECT_TRUE(glIsTexture(texture));
    EXPECT_TRUE(registered(base));
    font_delete(base);
    EXPECT_FALSE(glIsTexture(texture));
}

TEST_F(FontRegistry, DeleteFamilyRemovesBaseAndVariantsOnly) {
    Font* other = load("other");
    Font* base = load("normal");
    Font* v1 = variant_of(base, 2.0f);
    Font* v2 = variant_of(base, 3.0f);
    font_select(v2);
    const GLuint texture = base->texture;
    font_delete_family(base);
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_TRUE(glIsTexture(other->texture));
    ASSERT_EQ(font_registry.count, 1u);
    EXPECT_EQ(fonts[0], other);
    EXPECT_EQ(current_font, other);  // the only font left
    EXPECT_EQ(current_style.base, other);
    (void)v1;
}

TEST_F(FontRegistry, DeletingABaseInUseTakesItsVariantsWithIt) {
    Font* other = load("other");
    Font* base = load("normal");
    variant_of(base, 2.0f);
    Font* v = variant_of(base, 0.5f);
    font_select(v);
    font_delete(base);  // no variant may keep pointing at the released record
    ASSERT_EQ(font_registry.count, 1u);
    EXPECT_EQ(fonts[0], other);
    EXPECT_EQ(current_font, other);
    EXPECT_EQ(font_line_height, 13);

    Font* lone = load("lone");
    font_select(variant_of(lone, 2.0f));
    font_delete(other);
    font_delete(lone);
    EXPECT_EQ(font_registry.count, 0u);
    EXPECT_EQ(current_font, nullptr);
}

TEST_F(FontRegistry, DeletingTheCurrentFontPicksTheRandConfiguredIndex) {
    std::set<int> picks;
    for (unsigned seed = 1; seed <= 24; seed++) {
        Font* base = load("normal");
        for (int i = 0; i < 5; i++) variant_of(base, 1.0f + i);
        Font* victim = fonts[3];
        font_select(victim);
        srand(seed);
        double r1 = rand() & 0x7FFF, r2 = rand() & 0x7FFF;
        const uint32_t n = font_registry.count - 1;
        uint32_t want = (uint32_t)((r2 + r1 / 32768.0) * n / 32768.0);
        srand(seed);
        font_delete(victim);
        ASSERT_EQ(font_registry.count, n);
        ASSERT_LT(want, n);
        EXPECT_EQ(current_font, fonts[want]);
        EXPECT_EQ(current_style.x_scale, fonts[want]->style.x_scale);
        EXPECT_EQ(font_cell_width, (uint8_t)(9 * fonts[want]->style.x_scale));
        picks.insert((int)want);
        delete_all_fonts();
    }
    EXPECT_GE(picks.size(), 3u);  // a real draw, not always the same slot
}

TEST_F(FontRegistry, DeletingAnotherFontLeavesTheCurrentAlone) {
    Font* a = load("a");
    Font* b = load("b");
    a->style.y_scale = 2.0f;  // edited after selection: the current style keeps the old copy
    font_delete(b);
    EXPECT_EQ(current_font, a);
    EXPECT_EQ(current_style.y_scale, 1.0f);
}

TEST_F(FontRegistry, DeleteSwapsTheLastEntryIntoTheGap) {
    Font* a = load("a");
    Font* b = load("b");
    Font* c = load("c");
    font_delete(a);
    ASSERT_EQ(font_registry.count, 2u);
    EXPECT_EQ(fonts[0], c);
    EXPECT_EQ(fonts[1], b);
}

TEST_F(FontRegistry, SelectingTheCurrentFontChangesNothing) {
    Font* a = load("normal");
    Font* b = load("other");
    a->style.y_scale = 20.0f;
    font_select(a);  // already current: its edited style is not taken up
    EXPECT_EQ(font_line_height, 13);
    EXPECT_EQ(current_style.y_scale, 1.0f);
    font_select(b);
    font_select(a);
    EXPECT_EQ(font_line_height, 4);  // 13 * 20 = 260, kept to 8 bits
    EXPECT_EQ(current_style.y_scale, 20.0f);
}

TEST_F(FontRegistry, MetricBytesFollowTheScales) {
    Font* a = load("normal");
    Font* v = variant_of(a, 1.5f);
    v->style.y_scale = 0.5f;
    font_select(v);
    EXPECT_EQ(font_cell_width, 13);  // trunc(9 * 1.5)
    EXPECT_EQ(font_max_width, 24);   // 16 * 1.5
    EXPECT_EQ(font_line_height, 6);  // trunc(13 * 0.5)
}

TEST_F(FontRegistry, FontExistsComparesTheNamePartIgnoringCase) {
    load("NORMAL");
    EXPECT_EQ(font_exists("normal:bold"), 1);
    EXPECT_EQ(font_exists("Normal"), 1);
    EXPECT_EQ(font_exists("norma:bold"), 0);
    EXPECT_EQ(font_exists("normalx"), 0);
    EXPECT_EQ(font_exists(""), 0);
}

TEST_F(FontRegistry, DuplicateSharesTextureAndOwnsItsName) {
    Font* a = load("normal");
    Font* d = font_duplicate(a);
    EXPECT_EQ(current_font, a);
    EXPECT_EQ(d->texture, a->texture);
    EXPECT_EQ(d->style.base, a);
    EXPECT_NE(d->name, a->name);
    font_set_name(d, "copy");
    EXPECT_STREQ(a->name, "normal");
    font_set_name(d, d->name);  // its own name: copied before the old one goes
    EXPECT_STREQ(d->name, "copy");
    EXPECT_EQ(font_find("COPY"), d);
}

TEST_F(FontRegistry, CreateEmptyReplacesEveryFontOfThatName) {
    Font* other = load("other");
    Font* x = load("X");
    font_duplicate(x);
    font_set_name(variant_of(x, 2.0f), "x");
    font_select(x);
    Font* p = font_create_empty("x");
    int same = 0;
    for (uint32_t i = 0; i < font_registry.count; i++) same += strcmp(fonts[i]->name, "x") == 0 || strcmp(fonts[i]->name, "X") == 0;
    EXPECT_EQ(same, 1);
    EXPECT_TRUE(registered(p));
    EXPECT_EQ(font_registry.count, 2u);
    EXPECT_EQ(current_font, other);  // the old current went; the placeholder is not selected
    EXPECT_EQ(p->style.base, p);
    EXPECT_EQ(p->max_height, 1);
    EXPECT_EQ(p->max_width, 1);
    EXPECT_EQ(p->cell_width, 2);
    EXPECT_EQ(p->texture_width, 1);
    EXPECT_EQ(p->texture_height, 1);
    for (int k = 0; k < 512; k++) ASSERT_EQ(p->glyph_width[k], 1);
    uint8_t rgb[4] = {0, 0, 0, 0};
    glBindTexture(GL_TEXTURE_2D, p->texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(rgb[0], 1);
}

TEST_F(FontRegistry, CreateEmptyOfItsOwnNameSurvivesTheDeletion) {
    Font* x = load("x");
    Font* p = font_create_empty(x->name);  // the name's owner is deleted on the way
    EXPECT_STREQ(p->name, "x");
    EXPECT_EQ(font_registry.count, 1u);
}

TEST_F(FontRegistry, DeletingAnUnregisteredFontReleasesItOnly) {
    Font* a = load("a");
    Font* loose = (Font*)calloc(1, sizeof(Font));
    loose->name = (char*)malloc(6);
    memcpy(loose->name, "loose", 6);
    glGenTextures(1, &loose->texture);
    const GLuint texture = loose->texture;
    glBindTexture(GL_TEXTURE_2D, texture);
    font_delete(loose);
    EXPECT_FALSE(glIsTexture(texture));
    ASSERT_EQ(font_registry.count, 1u);
    EXPECT_EQ(fonts[0], a);
    EXPECT_EQ(current_font, a);
}

TEST_F(FontRegistry, MemoryEstimateCountsRecordsNamesAndAtlasRows) {
    load("normal");
    const uint32_t before = font_memory_estimate(), cap_before = font_registry.capacity;
    Font* d = font_duplicate(fonts[0]);
    font_set_name(d, "twelve chars");
    const uint32_t grown = (font_registry.capacity - cap_before) * (uint32_t)sizeof(Font*);
    EXPECT_EQ(font_memory_estimate() - before, sizeof(Font) + 12 + 4u * 13 * 2048 + grown);
}

}  // namespace
