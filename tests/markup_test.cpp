// Text markup: the encoded bytes of Greek names, scripts and commands, the
// terminator walk, and the buffer bound (cuts at whole codes, no overrun),
// with the inputs the fuzzer found kept as cases.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "framework/text/markup.h"
#include "tests/support/files.h"

static const size_t guard_size = 32;
static const uint8_t guard_byte = 0xA5;

static Bytes str(const char* s) { return Bytes(s, s + strlen(s)); }
static Bytes glyph(int g) { return {2, (uint8_t)(g >> 8), (uint8_t)(g & 255)}; }
static Bytes size_code(int size, int offset) {
    uint16_t o = (uint16_t)offset;
    return {5, 2, (uint8_t)(size & 255), (uint8_t)(size >> 8), (uint8_t)(o & 255), (uint8_t)(o >> 8)};
}
static Bytes command(int sub, uint32_t bits) { return cat({{5, (uint8_t)sub}, le32(bits)}); }
static Bytes upto_end(const char* t) { return Bytes((const uint8_t*)t, (const uint8_t*)encoded_end(t)); }

enum Pass { PASS_TEXT, PASS_GREEK, PASS_COMMANDS, PASS_SCRIPTS };

// Runs one pass on a buffer of `capacity` bytes (0: just large enough for any
// growth) followed by guard bytes, checks the guards and that the result is
// terminated inside the buffer, and returns the encoded bytes.
static Bytes run(Pass pass, const Bytes& in, int depth = 1, size_t capacity = 0) {
    if (capacity == 0) capacity = in.size() * 8 + 64;
    std::vector<uint8_t> buf(capacity + guard_size, guard_byte);
    size_t n = std::min(in.size(), capacity);
    memcpy(buf.data(), in.data(), n);
    if (n < capacity) buf[n] = 0;
    char* text = (char*)buf.data();
    switch (pass) {
    case PASS_TEXT: markup_text(text, depth, capacity); break;
    case PASS_GREEK: markup_greek(text, capacity); break;
    case PASS_COMMANDS: markup_commands(text, capacity); break;
    case PASS_SCRIPTS: markup_scripts(text, depth, 0, 256, capacity); break;
    }
    for (size_t i = capacity; i < buf.size(); i++) {
        EXPECT_EQ(buf[i], guard_byte) << "written past the buffer at +" << (i - capacity);
        if (buf[i] != guard_byte) break;
    }
    const char* end = encoded_end(text, capacity);
    EXPECT_NE(end, nullptr) << "no terminator at a code boundary inside the buffer";
    if (!end) return Bytes();
    return Bytes((const uint8_t*)buf.data(), (const uint8_t*)end);
}

static Bytes text(const char* s, int depth = 1, size_t capacity = 0) { return run(PASS_TEXT, str(s), depth, capacity); }

TEST(MarkupGreek, CaseOfTheFirstLetterPicksLowerOrUpper) {
    EXPECT_EQ(text("Alpha and alpha"), cat({glyph(280), str(" and "), glyph(256)}));
    EXPECT_EQ(text("aLPHA OMEGA"), cat({glyph(256), str(" "), glyph(303)}));
    const char* names = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron "
                        "pi rho sigma tau upsilon phi chi psi omega";
    Bytes lower, upper;
    for (int k = 0; k < 24; k++) {
        lower = cat({lower, glyph(256 + k), str(" ")});
        upper = cat({upper, glyph(280 + k), str(k < 23 ? " " : "")});
    }
    std::string caps = names;
    for (size_t i = 0; i < caps.size(); i++)
        if (i == 0 || caps[i - 1] == ' ') caps[i] = (char)(caps[i] - 32);
    EXPECT_EQ(text((std::string(names) + " ").c_str()), lower);
    EXPECT_EQ(text(caps.c_str()), upper);
    EXPECT_EQ(text("vardelta varzeta VarTheta VARPHI varomega"),
              cat({glyph(304), str(" "), glyph(305), str(" "), glyph(306), str(" "), glyph(307), str(" "),
                   glyph(308)}));
}

TEST(MarkupGreek, FoundInsideWordsGrowingOrShrinkingTheText) {
    EXPECT_EQ(text("alphabet"), cat({glyph(256), str("bet")}));
    EXPECT_EQ(text("stau"), cat({str("s"), glyph(274)}));
    EXPECT_EQ(text("pi").size(), 3u);
    EXPECT_EQ(text("epsilon").size(), 3u);
}

TEST(MarkupScripts, SuperscriptAddsElevenBytes) {
    Bytes r = text("x^2");
    EXPECT_EQ(r, cat({str("x"), size_code(179, 38), str("2"), size_code(256, 0)}));
    EXPECT_EQ(r.size(), 3u + 11u);
}

TEST(MarkupScripts, BracedSubscriptDropsItsBraces) {
    EXPECT_EQ(text("x_{ij}"), cat({str("x"), size_code(179, -115), str("ij"), size_code(256, 0)}));
}

TEST(MarkupScripts, NestingFollowsDepth) {
    EXPECT_EQ(text("e^{x^2}", 2), cat({str("e"), size_code(179, 38), str("x"), size_code(138, 71), str("2"),
                                       size_code(179, 38), size_code(256, 0)}));
    EXPECT_EQ(text("e^{x^2}", 1), cat({str("e"), size_code(179, 38), str("x^2"), size_code(256, 0)}));
    EXPECT_EQ(text("e^{x^2}", 0), str("e^{x^2}"));
    // Only depth 0 stops: a negative depth never counts down to it.
    std::string deep = "x^2";
    for (int i = 0; i < 40; i++) deep = "a^{" + deep + "}";
    const Bytes all = text(deep.c_str(), 41);
    EXPECT_NE(all, text(deep.c_str(), 40));
    for (int depth : {-1, -40, INT_MIN}) {
        EXPECT_EQ(text(deep.c_str(), depth), all) << depth;
        EXPECT_EQ(run(PASS_SCRIPTS, str(deep.c_str()), depth), all) << depth;
        EXPECT_EQ(markup_text_size(deep.c_str(), depth), all.size() + 1) << depth;
    }
}

TEST(MarkupScripts, ScriptIsLettersDigitsGlyphsGroupOrOneByte) {
    Bytes up = size_code(179, 38), back = size_code(256, 0);
    EXPECT_EQ(text("x^ab2"), cat({str("x"), up, str("ab"), back, str("2")}));
    EXPECT_EQ(text("x^12a"), cat({str("x"), up, str("12"), back, str("a")}));
    EXPECT_EQ(text("x^alphabeta+"), cat({str("x"), up, glyph(256), glyph(257), back, str("+")}));
    EXPECT_EQ(text("x^+y"), cat({str("x"), up, str("+"), back, str("y")}));
    EXPECT_EQ(text("x^2^3"), cat({str("x"), up, str("2"), back, up, str("3"), back}));
}

TEST(MarkupScripts, GroupsNestLiteralBracesAndEndWithTheText) {
    EXPECT_EQ(text("x^{a{b}c}d", 2), cat({str("x"), size_code(179, 38), str("a{b}c"), size_code(256, 0), str("d")}));
    EXPECT_EQ(text("x^{a}b}", 2), cat({str("x"), size_code(179, 38), str("a"), size_code(256, 0), str("b}")}));
    EXPECT_EQ(text("a^{b_{c", 3), cat({str("a"), size_code(179, 38), str("b"), size_code(138, -36), str("c"),
                                       size_code(179, 38), size_code(256, 0)}));
}

TEST(MarkupScripts, MarkWithNothingToRaiseStaysText) {
    EXPECT_EQ(text("x^"), str("x^"));
    EXPECT_EQ(text("x_"), str("x_"));
    // At the end of a group, and before a command code.
    EXPECT_EQ(text("a^{b^}", 2), cat({str("a"), size_code(179, 38), str("b^"), size_code(256, 0)}));
    Bytes with_command = cat({str("x^"), command(0, 7), str("y")});
    EXPECT_EQ(run(PASS_SCRIPTS, with_command), with_command);
}

TEST(MarkupScripts, OffsetAndSizeOfTheCallAreTheBase) {
    char buf[64] = "x^2";
    markup_scripts(buf, 1, 38, 179);
    EXPECT_EQ(upto_end(buf), cat({str("x"), size_code(138, 71), str("2"), size_code(179, 38)}));
}

TEST(MarkupScripts, CommandPayloadIsNotReadAsText) {
    // '^' (94) and '{' (123) as payload bytes of codes already in the text.
    Bytes in = cat({command(0, 94 | 123 << 8), glyph(94), str("x^2")});
    EXPECT_EQ(run(PASS_SCRIPTS, in), cat({command(0, 94 | 123 << 8), glyph(94), str("x"), size_code(179, 38), str("2"),
                                     size_code(256, 0)}));
}

TEST(MarkupScripts, DeepNestingNeitherRecursesNorOverruns) {
    const int n = 20000;
    std::string s = "x";
    for (int i = 0; i < n; i++) s += "^{";
    s += "y";
    for (int i = 0; i < n; i++) s += "}";
    size_t need = markup_text_size(s.c_str(), n + 1);
    Bytes r = run(PASS_TEXT, str(s.c_str()), n + 1, need);
    ASSERT_EQ(r.size() + 1, need);
    EXPECT_EQ(r.size(), 2u + 12u * n);
    // Every level opens and closes once: the codes are balanced around 'y'.
    EXPECT_EQ(r[1 + 6 * n], 'y');
    EXPECT_EQ(Bytes(r.end() - 6, r.end()), size_code(256, 0));
}

TEST(MarkupCommands, TabAndColourCodesWithUncheckedNumbers) {
    EXPECT_EQ(run(PASS_COMMANDS, str("#tab=120#Name")), cat({command(1, float_bits(120.0f)), str("Name")}));
    EXPECT_EQ(run(PASS_COMMANDS, str("#COL=255#")), command(0, 255));
    EXPECT_EQ(run(PASS_COMMANDS, str("a#col=1##tab=2#b")),
              cat({str("a"), command(0, 1), command(1, float_bits(2.0f)), str("b")}));
    EXPECT_EQ(run(PASS_COMMANDS, str("#col=7")), command(0, 7));
    EXPECT_EQ(run(PASS_COMMANDS, str("#col=")), command(0, 0));
    EXPECT_EQ(run(PASS_COMMANDS, str("#col=1a#")), command(0, 10 + ('a' - '0')));
    EXPECT_EQ(run(PASS_COMMANDS, str("#tab=-5#")), command(1, float_bits((float)(('-' - '0') * 10 + 5))));
    EXPECT_EQ(run(PASS_COMMANDS, str("#col=99999999999999999999#")).size(), 6u);  // wraps, no overflow
}

TEST(MarkupCommands, CodesAreSteppedOverAndNeverSplit) {
    // A glyph whose low byte is '#' does not start a command.
    Bytes in = cat({glyph(256 + '#'), str("col=5#")});
    EXPECT_EQ(run(PASS_COMMANDS, in), in);
    // A number stops short of a code, which stays whole.
    EXPECT_EQ(run(PASS_COMMANDS, cat({str("#col=1"), glyph(300), str("2#")})),
              cat({command(0, 1), glyph(300), str("2#")}));
}

TEST(EncodedEnd, StepsOverPayloadZerosAndStaysInsideTheBuffer) {
    Bytes t = cat({glyph(256), size_code(256, 0), str("a"), {0}});
    const char* s = (const char*)t.data();
    EXPECT_EQ(encoded_end(s), s + t.size() - 1);
    EXPECT_EQ(encoded_end(s, t.size()), s + t.size() - 1);
    // A command reaching the last byte leaves no room for a terminator.
    Bytes u = {'a', 5, 0, 0, 0, 0, 0};
    EXPECT_EQ(encoded_end((const char*)u.data(), u.size()), nullptr);
    EXPECT_EQ(encoded_end("abc", 3), nullptr);
    EXPECT_EQ(encoded_end("abc", 0), nullptr);
}

TEST(MarkupBufferLimit, EveryCapacityGivesAPrefixCutAtAWholeUnit) {
    // 'x^2' needs 15 bytes; with 14 the closing code no longer fits.
    EXPECT_EQ(markup_text_size("x^2", 1), 15u);
    EXPECT_EQ(text("x^2", 1, 14), cat({str("x"), size_code(179, 38), str("2")}));
    const char* samples[] = {"e^{x^2} + alpha_{ij}^{pi}", "pipipipi", "x^", "a^{b_{c^{d}}}e", "#col=12#mu^2"};
    for (const char* s : samples) {
        Bytes full = text(s, 4);
        size_t need = markup_text_size(s, 4);
        EXPECT_EQ(need, full.size() + 1) << s;
        // From the smallest buffer that holds the input itself.
        for (size_t cap = strlen(s) + 1; cap <= need + 2; cap++) {
            Bytes r = text(s, 4, cap);
            ASSERT_LE(r.size(), full.size()) << s << " cap " << cap;
            EXPECT_EQ(r, Bytes(full.begin(), full.begin() + r.size())) << s << " cap " << cap;
            EXPECT_GE(r.size() + 6, std::min(cap - 1, full.size())) << "cut more than one unit: " << s;
        }
    }
}

TEST(MarkupBufferLimit, LongRunOfTwoLetterNames) {
    std::string s;
    for (int i = 0; i < 1000; i++) s += "pi";
    Bytes r = run(PASS_GREEK, str(s.c_str()), 1, s.size() + 1);
    EXPECT_EQ(r.size(), 3u * 666);
    for (size_t i = 0; i < r.size(); i += 3) ASSERT_EQ(Bytes(r.begin() + i, r.begin() + i + 3), glyph(271));
}

TEST(MarkupBufferLimit, UnterminatedTinyAndMissingTexts) {
    EXPECT_EQ(run(PASS_TEXT, str("abcdefgh"), 1, 8), str("abcdefg"));
    // A command cut off by the buffer's end is dropped, not left half there.
    EXPECT_EQ(run(PASS_COMMANDS, {'a', 5, 1, 2, 3}, 1, 5), str("a"));
    char guard[2] = {'z', 'z'};
    markup_text(guard, 1, 0);  // capacity 0: nothing may be written
    EXPECT_EQ(guard[0], 'z');
    markup_text(guard, 1, 1);
    EXPECT_EQ(guard[0], 0);
    EXPECT_EQ(guard[1], 'z');
    EXPECT_EQ(markup_text(nullptr, 1, 10), nullptr);
    EXPECT_EQ(markup_commands(nullptr, 10), nullptr);
    markup_scripts(nullptr, 1, 0, 256, 10);
    EXPECT_EQ(markup_text_size(nullptr, 1), 1u);
}

TEST(MarkupBufferLimit, ArrayOverloadTakesTheArraySize) {
    struct {
        char text[8];
        char after[8];
    } b;
    memcpy(b.text, "pipipi", 7);
    memset(b.after, 'q', sizeof b.after);
    markup_text(b.text, 1);
    EXPECT_EQ(upto_end(b.text), cat({glyph(271), glyph(271)}));
    for (char c : b.after) EXPECT_EQ(c, 'q');
}

// Inputs the fuzzer found (tests/fuzz_crashers/markup_*): byte 0 is depth |
// pass << 3, byte 1 the capacity choice, the rest the text.

// markup_size_below_input: the size asked for covered the shorter result
// but not the longer input that must sit in the buffer first.
TEST(MarkupFuzzCrashers, SizeCoversTheInputWhenTheResultIsShorter) {
    const char* s = "Alpha and alpha";
    size_t need = markup_text_size(s, 2);
    EXPECT_EQ(need, strlen(s) + 1);
    EXPECT_EQ(run(PASS_TEXT, str(s), 2, need), cat({glyph(280), str(" and "), glyph(256)}));
    EXPECT_EQ(markup_text_size("x^2", 0), 4u);
}

// markup_cut_code_after_greek: a lone command byte at the end survived the
// Greek pass as a code cut short, whose payload then ran over the terminator.
TEST(MarkupFuzzCrashers, CodeCutOffByTheEndIsDropped) {
    EXPECT_EQ(run(PASS_TEXT, {5}, 0), Bytes());
    EXPECT_EQ(run(PASS_GREEK, {'p', 'i', 2, 1}), glyph(271));
    EXPECT_EQ(run(PASS_TEXT, {'x', '^', 2, 1}, 1), str("x^"));
    // Whole codes pass the Greek pass untouched, payload letters included.
    const uint32_t letters = 'p' | 'i' << 8 | 'p' << 16 | (uint32_t)'i' << 24;
    EXPECT_EQ(run(PASS_GREEK, cat({command(1, letters), str("pi")})), cat({command(1, letters), glyph(271)}));
}
