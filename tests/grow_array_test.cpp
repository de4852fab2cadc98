// GrowArray: the fill rule's capacities, shrinking, element order, the alias,
// the numeric helpers, and both file forms on good and hostile files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/util/grow_array.h"
#include "tests/support/files.h"

static GrowArray ints(std::vector<int> v) {
    GrowArray a = array_make(sizeof(int));
    for (int x : v) array_append(&a, &x);
    return a;
}

static std::vector<int> contents(const GrowArray& a) {
    const int* p = (const int*)a.data;
    return std::vector<int>(p, p + a.count);
}

static uint32_t capacity_after_append_to_full(uint32_t n) {
    GrowArray a = array_make_sized(4, n, true);
    int x = 7;
    array_append(&a, &x);
    uint32_t c = a.capacity;
    array_free(a);
    return c;
}

TEST(GrowArrayGrowth, NewArrayAndFirstGrowth) {
    GrowArray a = array_make(4);
    EXPECT_EQ(a.count, 0u);
    EXPECT_EQ(a.capacity, 1u);
    EXPECT_EQ(a.min_capacity, 1u);
    EXPECT_FLOAT_EQ(a.growth, 60.0f);
    EXPECT_NE(a.data, nullptr);
    int x = 1;
    EXPECT_EQ(array_append(&a, &x), 0u);
    EXPECT_EQ(array_append(&a, &x), 1u);
    EXPECT_EQ(a.capacity, 2u);
    array_free(a);
}

TEST(GrowArrayGrowth, CapacityFiguresOfTheFillRule) {
    EXPECT_EQ(capacity_after_append_to_full(1), 2u);
    EXPECT_EQ(capacity_after_append_to_full(6), 8u);
    EXPECT_EQ(capacity_after_append_to_full(8), 11u);
}

TEST(GrowArrayGrowth, ReallocatesOnlyWhenFullAndKeepsEveryElement) {
    GrowArray a = array_make(sizeof(int));
    for (int i = 0; i < 5000; i++) {
        uint32_t before = a.capacity;
        bool full = a.count == a.capacity;
        array_append(&a, &i);
        if (full) EXPECT_EQ(a.capacity, (uint32_t)(a.count * 1.25)) << i;
        else EXPECT_EQ(a.capacity, before) << i;
    }
    for (int i = 0; i < 5000; i++) ASSERT_EQ(((int*)a.data)[i], i);
    array_free(a);
}

TEST(GrowArrayGrowth, ByteArraysFollowTheSameRule) {
    GrowArray a = array_make(1);
    char* view = nullptr;
    array_set_alias(&a, (void**)&view);
    for (int i = 0; i < 3000; i++) {
        bool full = a.count == a.capacity;
        uint32_t before = a.capacity;
        char c = (char)(i * 13);
        ASSERT_EQ(array_append(&a, &c), (uint32_t)i);
        ASSERT_EQ(a.capacity, full ? (uint32_t)(a.count * 1.25) : before);
        ASSERT_EQ((void*)view, a.data);
    }
    for (int i = 0; i < 3000; i++) ASSERT_EQ(view[i], (char)(i * 13));
    array_free(a);
}

TEST(GrowArrayGrowth, GrowthSettingOutsideItsRangeStillMakesRoom) {
    const float settings[] = {100.0f, 150.0f, 1000.0f, -50.0f, NAN, INFINITY};
    for (float g : settings) {
        GrowArray a = array_make(sizeof(int));
        a.growth = g;
        for (int i = 0; i < 300; i++) {
            array_append(&a, &i);
            ASSERT_GE(a.capacity, a.count) << g;
        }
        array_extend(&a, 50);
        ASSERT_GE(a.capacity, a.count);
        for (int i = 0; i < 300; i++) ASSERT_EQ(((int*)a.data)[i], i);
        for (int i = 0; i < 290; i++) array_remove_at(&a, 0);
        ASSERT_GE(a.capacity, a.count);
        for (int i = 0; i < 10; i++) ASSERT_EQ(((int*)a.data)[i], 290 + i);
        array_free(a);
    }
}

TEST(GrowArrayGrowth, ExtendReturnsTheFirstNewSlot) {
    GrowArray a = ints({1, 2, 3});
    int* p = (int*)array_extend(&a, 4);
    EXPECT_EQ(a.count, 7u);
    EXPECT_EQ(p, (int*)a.data + 3);
    for (int i = 0; i < 4; i++) p[i] = 10 + i;
    EXPECT_EQ(contents(a), (std::vector<int>{1, 2, 3, 10, 11, 12, 13}));
    array_free(a);
}

TEST(GrowArrayShrink, RemovingTheOnlyElementShrinksToMinimum) {
    GrowArray a = array_make_sized(sizeof(int), 2, false);
    a.min_capacity = 1;
    int x = 5;
    array_append(&a, &x);
    EXPECT_EQ(a.capacity, 2u);
    array_remove_at(&a, 0);
    EXPECT_EQ(a.capacity, 1u);  // 0 / 2 is below 60 %
    EXPECT_EQ(a.count, 0u);
    array_free(a);

    GrowArray b = ints({1, 2, 3, 4, 5, 6, 7});  // capacities 1, 2, 3, 5, 7
    EXPECT_EQ(b.capacity, 7u);
    array_remove_at(&b, 0);
    array_remove_at(&b, 0);
    EXPECT_EQ(b.capacity, 7u);  // 5 / 7 is not below 60 %
    array_remove_at(&b, 0);
    EXPECT_EQ(b.capacity, 5u);  // 4 / 7 is: trunc(4 * 1.25)
    EXPECT_EQ(contents(b), (std::vector<int>{4, 5, 6, 7}));
    array_free(b);
}

TEST(GrowArrayShrink, ShrinksBelowSixtyPercentButNeverBelowMinimum) {
    GrowArray a = array_make_sized(sizeof(int), 4, false);
    for (int i = 0; i < 100; i++) array_append(&a, &i);
    while (a.count > 0) {
        uint32_t cap = a.capacity;
        array_remove_swap(&a, 0);
        uint32_t c = a.count;
        if (0.6 > (double)c / cap && cap > 4) {
            uint32_t want = (uint32_t)(c * 1.25);
            EXPECT_EQ(a.capacity, want < 4 ? 4u : want);
        } else {
            EXPECT_EQ(a.capacity, cap);
        }
        ASSERT_GE(a.capacity, 4u);
    }
    array_free(a);
}

TEST(GrowArrayShrink, NoReallocationAtMinimumOrWithGrowthZero) {
    GrowArray a = array_make_sized(sizeof(int), 8, true);
    void* block = a.data;
    for (int i = 0; i < 8; i++) array_remove_at(&a, 0);
    EXPECT_EQ(a.data, block);
    EXPECT_EQ(a.capacity, 8u);
    array_free(a);

    GrowArray b = ints({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    b.growth = 0;
    uint32_t cap = b.capacity;
    while (b.count) array_remove_swap(&b, 0);
    EXPECT_EQ(b.capacity, cap);
    array_free(b);
}

TEST(GrowArrayOrder, RemoveSwapAndRemoveAt) {
    GrowArray a = ints({1, 2, 3});
    array_remove_swap(&a, 0);
    EXPECT_EQ(contents(a), (std::vector<int>{3, 2}));
    array_free(a);
    a = ints({1, 2, 3});
    array_remove_at(&a, 0);
    EXPECT_EQ(contents(a), (std::vector<int>{2, 3}));
    array_remove_at(&a, 2);
    array_remove_swap(&a, 7);
    EXPECT_EQ(contents(a), (std::vector<int>{2, 3}));
    array_remove_swap(&a, 1);
    EXPECT_EQ(contents(a), (std::vector<int>{2}));
    array_free(a);
}

TEST(GrowArrayOrder, InsertMovesTheTailUp) {
    GrowArray a = ints({1, 2, 3});
    int x = 9;
    int* p = (int*)array_insert(&a, &x, 1);
    EXPECT_EQ(p, (int*)a.data + 1);
    EXPECT_EQ(contents(a), (std::vector<int>{1, 9, 2, 3}));
    x = 8;
    array_insert(&a, &x, 0);
    x = 7;
    array_insert(&a, &x, a.count);
    EXPECT_EQ(contents(a), (std::vector<int>{8, 1, 9, 2, 3, 7}));
    EXPECT_EQ(array_insert(&a, &x, a.count + 1), nullptr);
    EXPECT_EQ(a.count, 6u);
    array_free(a);
}

TEST(GrowArrayOrder, FindReturnsTheLastMatch) {
    GrowArray a = ints({4, 5, 4, 6});
    int x = 4;
    EXPECT_EQ(array_find(a, &x), 2);
    x = 99;
    EXPECT_EQ(array_find(a, &x), -1);
    x = 4;
    array_remove_value(&a, &x);
    EXPECT_EQ(contents(a), (std::vector<int>{4, 5, 6}));
    x = 99;
    array_remove_value(&a, &x);
    EXPECT_EQ(a.count, 3u);
    array_free(a);
}

static int compare_ints(const void* a, const void* b) {
    int x = *(const int*)a, y = *(const int*)b;
    return (x > y) - (x < y);
}

TEST(GrowArrayOrder, SortAppendAllCopyTrimClear) {
    GrowArray a = ints({5, 1, 4});
    array_sort(&a, compare_ints);
    EXPECT_EQ(contents(a), (std::vector<int>{1, 4, 5}));

    GrowArray b = ints({7, 8});
    array_append_all(&a, b);
    EXPECT_EQ(contents(a), (std::vector<int>{1, 4, 5, 7, 8}));
    GrowArray wide = array_make(8);
    double d = 1;
    array_append(&wide, &d);
    array_append_all(&a, wide);  // element sizes differ: nothing happens
    EXPECT_EQ(a.count, 5u);

    GrowArray c = array_copy(a);
    EXPECT_NE(c.data, a.data);
    EXPECT_EQ(c.capacity, a.capacity);
    EXPECT_EQ(c.alias, nullptr);
    EXPECT_EQ(memcmp(c.data, a.data, a.capacity * 4), 0);
    ((int*)c.data)[0] = 100;
    EXPECT_EQ(((int*)a.data)[0], 1);

    array_trim(&a);
    EXPECT_EQ(a.capacity, 5u);
    EXPECT_EQ(contents(a), (std::vector<int>{1, 4, 5, 7, 8}));
    array_clear(&a);
    EXPECT_EQ(a.count, 0u);
    EXPECT_EQ(a.capacity, a.min_capacity);
    array_trim(&a);
    EXPECT_EQ(a.capacity, 0u);
    EXPECT_NE(a.data, nullptr);
    int x = 3;
    array_append(&a, &x);
    EXPECT_EQ(contents(a), (std::vector<int>{3}));
    for (GrowArray* p : {&a, &b, &c, &wide}) array_free(*p);
}

TEST(GrowArrayAlias, FollowsEveryReallocationAndIsClearedOnFree) {
    GrowArray a = array_make(sizeof(int));
    int* view = nullptr;
    EXPECT_EQ(array_set_alias(&a, (void**)&view), nullptr);
    EXPECT_EQ((void*)view, a.data);
    for (int i = 0; i < 200; i++) {
        array_append(&a, &i);
        ASSERT_EQ((void*)view, a.data);
    }
    array_extend(&a, 1000);
    EXPECT_EQ((void*)view, a.data);
    int x = 1;
    array_insert(&a, &x, 0);
    EXPECT_EQ((void*)view, a.data);
    while (a.count > 3) {
        array_remove_at(&a, 0);
        ASSERT_EQ((void*)view, a.data);
    }
    array_trim(&a);
    EXPECT_EQ((void*)view, a.data);
    array_clear(&a);
    EXPECT_EQ((void*)view, a.data);
    int* other = nullptr;
    EXPECT_EQ(array_set_alias(&a, (void**)&other), (void**)&view);
    EXPECT_EQ((void*)other, a.data);
    array_free(a);
    EXPECT_EQ(other, nullptr);

    GrowArray* heap = (GrowArray*)malloc(sizeof(GrowArray));
    *heap = array_make(4);
    array_set_alias(heap, (void**)&view);
    array_delete(heap);
    EXPECT_EQ(view, nullptr);
}

TEST(GrowArrayHelpers, PowersOfTwoMaxAndSquare) {
    EXPECT_EQ(next_power_of_two(0), 0u);
    EXPECT_EQ(next_power_of_two(1), 1u);
    EXPECT_EQ(next_power_of_two(3), 4u);
    EXPECT_EQ(next_power_of_two(64), 64u);
    EXPECT_EQ(next_power_of_two(65), 128u);
    EXPECT_EQ(next_power_of_two(0x80000000u), 0x80000000u);
    EXPECT_EQ(next_power_of_two(0x80000001u), 0u);
    EXPECT_EQ(next_power_of_two(0xFFFFFFFFu), 0u);
    for (uint32_t v = 2; v < 5000; v++) {
        uint32_t p = next_power_of_two(v);
        ASSERT_EQ(p & (p - 1), 0u);
        ASSERT_TRUE(p >= v && p / 2 < v) << v;
    }
    EXPECT_EQ(max_unsigned(3, 0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(max_unsigned(9, 2), 9u);
    EXPECT_DOUBLE_EQ(square(-1.5), 2.25);
}

// ---- File forms ----

class GrowArrayFile : public ::testing::Test {
protected:
    ScratchFolder scratch;
    std::string path(const char* name) { return scratch.path(name); }
    // Reads p with the full (small = false) or small reader.
    GrowArray read_with(const std::string& p, bool small) {
        if (small) return array_load_small(p.c_str());
        FILE* f = fopen(p.c_str(), "rb");
        GrowArray a = array_read(f);
        if (f) fclose(f);
        return a;
    }
    void expect_failed(GrowArray a, const char* what) {
        EXPECT_EQ(a.data, nullptr) << what;
        EXPECT_EQ(a.count, 0u) << what;
        EXPECT_EQ(a.alias, nullptr) << what;
        array_free(a);
    }
};

TEST_F(GrowArrayFile, SmallFormIsTwentyNineBytesAndReadsBackWithCapacityThree) {
    GrowArray a = array_make(8);
    double v[3] = {1.5, -2.0, 1e300};
    for (double d : v) array_append(&a, &d);
    a.growth = 30;
    std::string p = path("small.bin");
    EXPECT_EQ(array_save_small(a, p.c_str()), 1);
    std::string bytes = read_file(p);
    ASSERT_EQ(bytes.size(), 29u);
    EXPECT_EQ(bytes.substr(0, 5), std::string("\3\0\0\0\10", 5));
    GrowArray b = array_load_small(p.c_str());
    ASSERT_NE(b.data, nullptr);
    EXPECT_EQ(b.count, 3u);
    EXPECT_EQ(b.capacity, 3u);
    EXPECT_EQ(b.element_size, 8);
    EXPECT_FLOAT_EQ(b.growth, 60.0f);
    EXPECT_EQ(b.min_capacity, 1u);
    EXPECT_EQ(b.alias, nullptr);
    EXPECT_EQ(memcmp(b.data, v, 24), 0);
    array_free(a);
    array_free(b);
}

TEST_F(GrowArrayFile, SmallFormUsesTheDefaultMinimumCapacity) {
    array_default_min_capacity = 6;
    GrowArray a = array_make(2);
    EXPECT_EQ(a.capacity, 6u);
    short s = 5;
    array_append(&a, &s);
    std::string p = path("m.bin");
    array_save_small(a, p.c_str());
    GrowArray b = array_load_small(p.c_str());
    array_default_min_capacity = 1;
    EXPECT_EQ(b.capacity, 6u);
    EXPECT_EQ(b.min_capacity, 6u);
    array_free(a);
    array_free(b);
}

TEST_F(GrowArrayFile, FullFormRoundTripsEveryHeaderField) {
    GrowArray a = array_make_sized(12, 5, false);
    a.growth = 20;
    for (int i = 0; i < 40; i++) {
        unsigned char e[12];
        memset(e, i, sizeof e);
        array_append(&a, e);
    }
    std::string p = path("full.bin");
    FILE* f = fopen(p.c_str(), "wb");
    array_write(a, f);
    GrowArray second = ints({1, 2});
    array_write(second, f);  // a second array behind the first
    array_free(second);
    fclose(f);
    EXPECT_EQ(read_file(p).size(), 16u + 40 * 12 + 16 + 8);
    f = fopen(p.c_str(), "rb");
    GrowArray b = array_read(f);
    GrowArray c = array_read(f);
    fclose(f);
    ASSERT_NE(b.data, nullptr);
    EXPECT_EQ(b.count, 40u);
    EXPECT_EQ(b.element_size, 12);
    EXPECT_EQ(b.min_capacity, 5u);
    EXPECT_FLOAT_EQ(b.growth, 20.0f);
    EXPECT_EQ(b.capacity, (uint32_t)(40 / (0.005 * 20 + 0.5)));
    EXPECT_EQ(memcmp(a.data, b.data, 40 * 12), 0);
    EXPECT_EQ(contents(c), (std::vector<int>{1, 2}));
    EXPECT_EQ(c.capacity, 2u);  // trunc(2 / 0.8) = 2, min_capacity 1
    array_free(a);
    array_free(b);
    array_free(c);
}

TEST_F(GrowArrayFile, FullFormHeaderIsLittleEndianAndMinimumCapacityWins) {
    std::string p = path("h.bin");
    write_file(p, cat({le32(2), le32(4), le32(9), le32(float_bits(60)), le32(0x11223344), le32(7)}));
    GrowArray a = read_with(p, false);
    ASSERT_NE(a.data, nullptr);
    EXPECT_EQ(contents(a), (std::vector<int>{0x11223344, 7}));
    EXPECT_EQ(a.capacity, 9u);
    array_free(a);
}

TEST_F(GrowArrayFile, EveryTruncationFailsCleanly) {
    Bytes full =
        cat({le32(3), le32(4), le32(1), le32(float_bits(60)), le32(1), le32(2), le32(3)});
    Bytes small = cat({le32(3), {4}, le32(1), le32(2), le32(3)});
    std::string p = path("t.bin");
    for (size_t n = 0; n < full.size(); n++) {
        write_file(p, Bytes(full.begin(), full.begin() + n));
        expect_failed(read_with(p, false), ("full form cut at " + std::to_string(n)).c_str());
    }
    for (size_t n = 0; n < small.size(); n++) {
        write_file(p, Bytes(small.begin(), small.begin() + n));
        expect_failed(read_with(p, true), ("small form cut at " + std::to_string(n)).c_str());
    }
}

TEST_F(GrowArrayFile, CountsAndSizesBeyondTheFileAreRefused) {
    std::string p = path("huge.bin");
    const uint32_t g = float_bits(60);
    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"count 2^32-1", cat({le32(0xFFFFFFFFu), le32(4), le32(1), le32(g), le32(1)})},
        {"element size 2^31-1", cat({le32(2), le32(0x7FFFFFFF), le32(1), le32(g), le32(1)})},
        {"both huge", cat({le32(0xFFFFFFFFu), le32(0x7FFFFFFF), le32(1), le32(g)})},
        {"element size 0", cat({le32(5), le32(0), le32(1), le32(g)})},
        {"element size negative", cat({le32(1), le32(0xFFFFFFFCu), le32(1), le32(g), le32(1)})},
        {"minimum capacity 2^32-1", cat({le32(1), le32(8), le32(0xFFFFFFFFu), le32(g), le32(1), le32(1)})},
        {"growth NaN", cat({le32(1), le32(4), le32(1), le32(0x7FC00000u), le32(1)})},
        {"growth 100", cat({le32(1), le32(4), le32(1), le32(float_bits(100)), le32(1)})},
        {"growth -1", cat({le32(1), le32(4), le32(1), le32(float_bits(-1)), le32(1)})},
    };
    for (auto& c : cases) {
        write_file(p, c.bytes);
        expect_failed(read_with(p, false), c.what);
    }
    write_file(p, cat({le32(0xFFFFFFFFu), {255}, le32(1)}));
    expect_failed(read_with(p, true), "small count 2^32-1");
    write_file(p, cat({le32(4), {0}}));
    expect_failed(read_with(p, true), "small element size 0");
}

TEST_F(GrowArrayFile, UnopenableFilesAndNullStreams) {
    expect_failed(array_load_small(path("missing.bin").c_str()), "missing file");
    expect_failed(array_load_small(scratch.dir.string().c_str()), "a directory");
    expect_failed(array_load_small(nullptr), "null path");
    expect_failed(array_read(nullptr), "null stream");
    expect_failed(array_read_small(nullptr), "null stream");
    GrowArray a = ints({1});
    EXPECT_EQ(array_save_small(a, path("no/such/folder/x.bin").c_str()), 0);
    array_free(a);
}

TEST_F(GrowArrayFile, UnwritableElementSizeKeepsTheOldFile) {
    std::string p = path("keep.bin");
    write_file(p, Bytes{1, 2, 3});
    GrowArray a = array_make(300);
    array_extend(&a, 1);
    memset(a.data, 0, 300);
    EXPECT_EQ(array_save_small(a, p.c_str()), 0);
    EXPECT_EQ(read_file(p), "\1\2\3");
    array_free(a);
}

TEST_F(GrowArrayFile, EmptyArraysRoundTrip) {
    GrowArray a = array_make(4);
    std::string p = path("e.bin");
    EXPECT_EQ(array_save_small(a, p.c_str()), 1);
    GrowArray b = array_load_small(p.c_str());
    ASSERT_NE(b.data, nullptr);
    EXPECT_EQ(b.count, 0u);
    EXPECT_EQ(b.capacity, 1u);
    int x = 4;
    array_append(&b, &x);
    EXPECT_EQ(contents(b), (std::vector<int>{4}));
    array_free(a);
    array_free(b);
}
