// Small utilities: clamps, random numbers, string copies, whole-file reading,
// string lists, real arrays, and real_array_sort against std::sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/util/utils.h"
#include "tests/support/files.h"


static std::vector<std::string> strings(StringList l) { return std::vector<std::string>(l, l + list_count(l)); }

static std::vector<double> reals(RealArray a) { return std::vector<double>(a, a + real_array_count(a)); }

static RealArray real_array_of(const std::vector<double>& v) {
    RealArray a = real_array_new((int)v.size());
    for (size_t i = 0; i < v.size(); i++) a[i] = v[i];
    return a;
}

TEST(UtilsNumbers, ClampsAndChoices) {
    EXPECT_EQ(max_double(1, NAN), 1.0);
    EXPECT_TRUE(std::isnan(max_double(NAN, 1)));
    EXPECT_EQ(max_double(-2, 3), 3.0);
    EXPECT_EQ(max_int(-4, -7), -4);
    EXPECT_EQ(min_int(-4, -7), -7);
    EXPECT_EQ(non_negative(-0.5), 0.0);
    EXPECT_EQ(non_negative(2.5), 2.5);
    EXPECT_EQ(non_negative(NAN), 0.0);
    EXPECT_EQ(non_negative_int(-3), 0);
    EXPECT_EQ(non_negative_int(3), 3);
    // trunc_int is defined everywhere: beyond the int range it clamps.
    EXPECT_EQ(trunc_int(-2.7), -2);
    EXPECT_EQ(trunc_int(2147483646.9), 2147483646);
    EXPECT_EQ(trunc_int(2147483648.0), INT_MAX);
    EXPECT_EQ(trunc_int(-1e300), INT_MIN);
    EXPECT_EQ(trunc_int(HUGE_VAL), INT_MAX);
    EXPECT_EQ(trunc_int(NAN), 0);
}

TEST(UtilsNumbers, RandomValuesStayInRange) {
    srand(12345);
    bool seen[10] = {};
    for (int i = 0; i < 20000; i++) {
        double r = random_real(2.5);
        ASSERT_TRUE(r >= 0 && r < 2.5) << r;
        int k = random_index(10);
        ASSERT_TRUE(k >= 0 && k < 10) << k;
        seen[k] = true;
        ASSERT_EQ(random_index(1), 0);
        ASSERT_EQ(random_index(0), 0);
        ASSERT_EQ(random_index(-5), 0);
        int big = random_index(2000000000);
        ASSERT_TRUE(big >= 0 && big < 2000000000);
    }
    for (bool s : seen) EXPECT_TRUE(s);
}

TEST(UtilsNumbers, RandomRealUsesTwoDrawsOfFifteenBits) {
    srand(99);
    int r1 = rand() & 0x7FFF, r2 = rand() & 0x7FFF;
    srand(99);
    EXPECT_DOUBLE_EQ(random_real(1.0), (r2 + r1 / 32768.0) / 32768);
}

TEST(UtilsStrings, CharactersAndCopies) {
    EXPECT_EQ(lower_ascii('Q'), 'q');
    EXPECT_EQ(lower_ascii('['), '[');
    EXPECT_EQ(lower_ascii('q'), 'q');
    EXPECT_EQ(lower_ascii('@'), '@');
    EXPECT_EQ(lower_ascii((char)0xC9), -55);  // not folded, kept signed
    EXPECT_EQ(char_code((char)0xE9), 233);
    char* s = nullptr;
    EXPECT_EQ(copy_string(&s, "hello"), 5);
    EXPECT_STREQ(s, "hello");
    EXPECT_EQ(replace_string(&s, "longer text"), 11);
    EXPECT_STREQ(s, "longer text");
    free(s);
    s = nullptr;
    EXPECT_EQ(replace_string(&s, ""), 0);
    EXPECT_STREQ(s, "");
    free(s);
}

class UtilsFile : public ::testing::Test {
protected:
    ScratchFolder scratch;
};

TEST_F(UtilsFile, ReadWholeFile) {
    int length = -7;
    EXPECT_EQ(read_whole_file(scratch.path("missing").c_str(), &length), nullptr);
    EXPECT_EQ(length, -7);
    EXPECT_EQ(read_whole_file(scratch.dir.string().c_str(), &length), nullptr);  // a directory
    EXPECT_EQ(length, -7);

    std::string empty = scratch.path("empty");
    write_file(empty, "");
    EXPECT_EQ(read_whole_file(empty.c_str(), &length), nullptr);
    EXPECT_EQ(length, 0);

    std::string full = scratch.path("bytes");
    Bytes bytes(70000);
    for (size_t i = 0; i < bytes.size(); i++) bytes[i] = (uint8_t)(i * 7 + (i >> 8));
    write_file(full, bytes);
    void* block = read_whole_file(full.c_str(), &length);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(length, 70000);
    EXPECT_EQ(memcmp(block, bytes.data(), bytes.size()), 0);
    free(block);
}

TEST(UtilsLists, SplitString) {
    StringList l = split_string(",", "1,2,3");
    EXPECT_EQ(list_count(l), 3);
    free_string_list(l);
    l = split_string("ab", "xyabab");
    EXPECT_EQ(strings(l), (std::vector<std::string>{"xy", "", ""}));
    free_string_list(l);
    l = split_string("ab", "xabyabab");
    EXPECT_EQ(strings(l), (std::vector<std::string>{"x", "y", "", ""}));
    free_string_list(l);
    l = split_string(",", "a,b,,c");
    EXPECT_EQ(strings(l), (std::vector<std::string>{"a", "b", "", "c"}));
    free_string_list(l);
    l = split_string(",", "");
    EXPECT_EQ(strings(l), (std::vector<std::string>{""}));
    free_string_list(l);
    l = split_string(",", ",");
    EXPECT_EQ(strings(l), (std::vector<std::string>{"", ""}));
    free_string_list(l);
    l = split_string("aa", "aaa");  // leftmost match, no overlap
    EXPECT_EQ(strings(l), (std::vector<std::string>{"", "a"}));
    free_string_list(l);
    l = split_string("", "abc");
    EXPECT_EQ(strings(l), (std::vector<std::string>{"abc"}));
    free_string_list(l);
}

TEST(UtilsLists, SplitWords) {
    StringList l = split_words("  two   words ");
    EXPECT_EQ(strings(l), (std::vector<std::string>{"two", "words"}));
    free_string_list(l);
    l = split_words("");
    EXPECT_EQ(list_count(l), 0);
    free_string_list(l);
    l = split_words(" \t\r\n\v\f");
    EXPECT_EQ(list_count(l), 0);
    free_string_list(l);
    l = split_words("a\tbc\nd");
    EXPECT_EQ(strings(l), (std::vector<std::string>{"a", "bc", "d"}));
    free_string_list(l);
}

TEST(UtilsLists, FreeListBlockLeavesTheStrings) {
    StringList l = split_string(";", "keep;me");
    char* a = l[0];
    char* b = l[1];
    free_list_block(l);
    EXPECT_STREQ(a, "keep");
    EXPECT_STREQ(b, "me");
    free(a);
    free(b);
}

TEST(UtilsLists, ParseRealList) {
    RealArray a = parse_real_list("1.5,-2,abc");
    EXPECT_EQ(reals(a), (std::vector<double>{1.5, -2, 0}));
    real_array_free(a);
    a = parse_real_list("");
    EXPECT_EQ(reals(a), (std::vector<double>{0}));
    real_array_free(a);
}

TEST(UtilsRealArray, LayoutAndLifecycle) {
    RealArray a = real_array_new_zeroed(3);
    int header;
    memcpy(&header, (char*)a - 8, sizeof header);
    EXPECT_EQ(header, 3);
    EXPECT_EQ(reals(a), (std::vector<double>{0, 0, 0}));
    a[1] = 4;
    RealArray b = real_array_copy(a);
    EXPECT_EQ(reals(b), (std::vector<double>{0, 4, 0}));
    b[0] = 9;
    EXPECT_EQ(a[0], 0.0);
    RealArray c = real_array_of({1, 2});
    real_array_copy_into(a, c);  // only the shorter length is copied
    EXPECT_EQ(reals(a), (std::vector<double>{1, 2, 0}));
    real_array_copy_into(c, b);
    EXPECT_EQ(reals(c), (std::vector<double>{9, 4}));
    real_array_zero(b);
    EXPECT_EQ(reals(b), (std::vector<double>{0, 0, 0}));
    RealArray d = real_array_new(-4);
    EXPECT_EQ(real_array_count(d), 0);
    for (RealArray x : {a, b, c, d}) real_array_free(x);
}

TEST(UtilsRealArray, GrowAndResize) {
    RealArray a = real_array_of({1, 2, 3});
    real_array_resize(&a, 2);
    EXPECT_EQ(reals(a), (std::vector<double>{1, 2, 3}));
    real_array_resize(&a, 5);
    EXPECT_EQ(reals(a), (std::vector<double>{1, 2, 3, 0, 0}));
    real_array_grow(&a, 2);
    EXPECT_EQ(real_array_count(a), 7);
    EXPECT_EQ(std::vector<double>(a, a + 5), (std::vector<double>{1, 2, 3, 0, 0}));
    real_array_grow(&a, -5);
    EXPECT_EQ(reals(a), (std::vector<double>{1, 2}));
    real_array_grow(&a, -10);
    EXPECT_EQ(real_array_count(a), 0);
    real_array_free(a);
}

TEST(UtilsRealArray, ArithmeticAndStatistics) {
    RealArray a = real_array_of({3, 4});
    EXPECT_DOUBLE_EQ(real_array_rms(a), sqrt(12.5));
    EXPECT_DOUBLE_EQ(real_array_norm(a), 5);
    EXPECT_DOUBLE_EQ(real_array_sum(a), 7);
    EXPECT_DOUBLE_EQ(real_array_mean(a), 3.5);
    EXPECT_DOUBLE_EQ(real_array_sum_squares(a), 25);
    EXPECT_DOUBLE_EQ(real_array_max(a), 4);
    RealArray b = real_array_of({10, 20, 30});
    real_array_add(a, b);
    EXPECT_EQ(reals(a), (std::vector<double>{13, 24}));
    real_array_add_scaled(a, -2, b);
    EXPECT_EQ(reals(a), (std::vector<double>{-7, -16}));
    real_array_multiply(a, b);
    EXPECT_EQ(reals(a), (std::vector<double>{-70, -320}));
    real_array_scale(a, 0.5);
    EXPECT_EQ(reals(a), (std::vector<double>{-35, -160}));
    EXPECT_DOUBLE_EQ(real_array_max(a), -35);
    real_array_add(b, a);  // a is shorter: b[2] untouched
    EXPECT_EQ(reals(b), (std::vector<double>{-25, -140, 30}));
    RealArray e = real_array_new(0);
    EXPECT_EQ(real_array_sum(e), 0.0);
    EXPECT_TRUE(std::isnan(real_array_mean(e)));
    EXPECT_EQ(real_array_max(e), -HUGE_VAL);
    for (RealArray x : {a, b, e}) real_array_free(x);
}

// ---- sorting ----

static void expect_sorts_like_std(std::vector<double> v, const char* what) {
    RealArray a = real_array_of(v);
    real_array_sort(a);
    std::sort(v.begin(), v.end());
    ASSERT_TRUE(std::equal(v.begin(), v.end(), a)) << what << " n=" << v.size();
    real_array_free(a);
}

TEST(UtilsSort, SmallCases) {
    RealArray a = real_array_of({3, 1, 2, 1});
    real_array_sort(a);
    EXPECT_EQ(reals(a), (std::vector<double>{1, 1, 2, 3}));
    real_array_free(a);
    expect_sorts_like_std({}, "empty");
    expect_sorts_like_std({5}, "one");
    expect_sorts_like_std({8, 7, 6, 5, 4, 3, 2, 1}, "eight reversed");
    expect_sorts_like_std({-0.0, 0.0, -1e300, 1e300, -HUGE_VAL, HUGE_VAL, 1e-320, 2, 2, 1}, "extremes");
}

TEST(UtilsSort, AgreesWithStdSortOnEveryShape) {
    std::mt19937_64 rng(2024);
    std::vector<int> sizes = {2, 3, 6, 7, 8, 9, 15, 16, 17, 50, 100, 1000, 4097, 30000, 100000};
    for (int i = 0; i < 40; i++) sizes.push_back((int)(rng() % 300));
    for (int n : sizes) {
        std::vector<double> random(n), sorted, reversed, equal(n, 2.5), dups(n), organ(n);
        std::uniform_real_distribution<double> u(-1e6, 1e6);
        for (int i = 0; i < n; i++) {
            random[i] = u(rng);
            dups[i] = (double)(rng() % 5);
            organ[i] = i < n / 2 ? i : n - i;
        }
        sorted = random;
        std::sort(sorted.begin(), sorted.end());
        reversed.assign(sorted.rbegin(), sorted.rend());
        expect_sorts_like_std(random, "random");
        expect_sorts_like_std(sorted, "sorted");
        expect_sorts_like_std(reversed, "reversed");
        expect_sorts_like_std(equal, "all equal");
        expect_sorts_like_std(dups, "many duplicates");
        expect_sorts_like_std(organ, "organ pipe");
    }
}

TEST(UtilsSort, NaNsStayInsideTheArray) {
    // The order with NaNs is unspecified; what matters is that every value
    // survives and nothing is read or written outside the array.
    std::mt19937 rng(7);
    for (int n : {8, 9, 30, 1000}) {
        std::vector<double> v(n);
        for (int i = 0; i < n; i++) v[i] = rng() % 3 == 0 ? NAN : (double)(rng() % 100);
        RealArray a = real_array_of(v);
        real_array_sort(a);
        int nans = 0;
        double sum = 0, want = 0;
        for (int i = 0; i < n; i++) {
            if (std::isnan(a[i])) nans++;
            else sum += a[i];
            if (!std::isnan(v[i])) want += v[i];
        }
        EXPECT_EQ(nans, (int)std::count_if(v.begin(), v.end(), [](double d) { return std::isnan(d); }));
        EXPECT_EQ(sum, want);
        real_array_free(a);
    }
}
