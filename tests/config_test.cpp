// The configuration store on real files: line ends, key/value splitting, the
// lookup rule, defaults, removal, the rewrite (and what it must not destroy),
// and the typed getters and setters.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "framework/config/config.h"
#include "framework/util/utils.h"
#include "tests/support/files.h"

namespace fs = std::filesystem;

typedef std::vector<std::pair<std::string, std::string>> Pairs;

static Pairs pairs(GrowArray list) {
    Pairs out;
    ConfigEntry* e = (ConfigEntry*)list.data;
    for (uint32_t i = 0; i < list.count; i++) out.push_back({e[i].key, e[i].value});
    return out;
}

static GrowArray list_of(const Pairs& p) {
    GrowArray list = config_make();
    for (auto& kv : p) {
        ConfigEntry e;
        copy_string(&e.key, kv.first.c_str());
        copy_string(&e.value, kv.second.c_str());
        array_append(&list, &e);
    }
    return list;
}

static std::string or_none(const char* s) { return s ? s : "<none>"; }

class ConfigFile : public ::testing::Test {
protected:
    ScratchFolder scratch;
    fs::path& dir = scratch.dir;
    std::string path(const char* name) { return scratch.path(name); }
    std::vector<std::string> lines_of(const std::string& bytes) {
        std::string p = path("lines.bin");
        write_file(p, bytes);
        FILE* f = fopen(p.c_str(), "rb");
        std::vector<std::string> out;
        while (char* line = read_text_line(f)) {
            out.push_back(line);
            free(line);
        }
        EXPECT_EQ(read_text_line(f), nullptr);  // stays at the end
        fclose(f);
        return out;
    }
    GrowArray read_text(const std::string& bytes) {
        write_file(path("in.txt"), bytes);
        return read_config(path("in.txt").c_str(), ':');
    }
};

static const char* EOL = TEXT_EOL;

TEST_F(ConfigFile, EveryLineEndEndsOneLine) {
    typedef std::vector<std::string> Lines;
    EXPECT_EQ(lines_of(std::string("a: 1\r\nb:2\rc :3\n\nd", 17)), (Lines{"a: 1", "b:2", "c :3", "", "d"}));
    EXPECT_EQ(lines_of(std::string("x\0y\0", 4)), (Lines{"x", "y"}));
    EXPECT_EQ(lines_of("a\n\rb"), (Lines{"a", "", "b"}));  // LF CR: a line end, then an empty line
    EXPECT_EQ(lines_of("a\r"), (Lines{"a"}));
    EXPECT_EQ(lines_of("a\r\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(lines_of("\n"), (Lines{""}));
    EXPECT_EQ(lines_of(""), (Lines{}));
    EXPECT_EQ(lines_of("last line"), (Lines{"last line"}));
    std::string longline(3000000, 'q');
    Lines got = lines_of(longline + "\r\nz");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], longline);
    EXPECT_EQ(got[1], "z");
    EXPECT_EQ(read_text_line(nullptr), nullptr);
}

TEST_F(ConfigFile, ReadSplitsAtTheFirstSeparatorAndTrims) {
    GrowArray l = read_text(std::string("a: 1\r\nb:2\rc :3\n\nd", 17));
    EXPECT_EQ(pairs(l), (Pairs{{"a", "1"}, {"b", "2"}, {"c", "3"}}));
    free_config(l);
    l = read_text("time: 12:30\n:\n \t key with  spaces \t:\v value, more \f\r\n");
    EXPECT_EQ(pairs(l), (Pairs{{"time", "12:30"}, {"", ""}, {"key with  spaces", "value, more"}}));
    free_config(l);
    l = read_text("\xC2\xA0name\xA0: \xA0v\xA0");  // bytes above 0x7F are never whitespace
    EXPECT_EQ(pairs(l), (Pairs{{"\xC2\xA0name\xA0", "\xA0v\xA0"}}));
    free_config(l);
    l = read_text(std::string("x:1\0y:2", 7));
    EXPECT_EQ(pairs(l), (Pairs{{"x", "1"}, {"y", "2"}}));
    free_config(l);
    l = read_text("");
    EXPECT_EQ(l.count, 0u);
    free_config(l);
}

TEST_F(ConfigFile, WhitespaceSeparatorKeepsTrimsApart) {
    write_file(path("w.txt"), "  a b  \n\t\n");
    GrowArray l = read_config(path("w.txt").c_str(), ' ');
    EXPECT_EQ(pairs(l), (Pairs{{"", "a b"}}));
    free_config(l);
}

TEST_F(ConfigFile, UnreadableFilesGiveAnEmptyList) {
    GrowArray l = read_config(path("missing.txt").c_str(), ':');
    EXPECT_EQ(l.count, 0u);
    EXPECT_NE(l.data, nullptr);
    free_config(l);
    l = read_config(dir.string().c_str(), ':');
    EXPECT_EQ(l.count, 0u);
    free_config(l);
    l = read_config(nullptr, ':');
    EXPECT_EQ(l.count, 0u);
    free_config(l);
}

TEST(ConfigLookup, ShortestMatchingKeyWinsTiesGoToTheEnd) {
    GrowArray l = list_of({{"Max cells to track", "100"}, {"Max", "5"}});
    EXPECT_EQ(or_none(config_get(l, "max")), "5");
    EXPECT_EQ(or_none(config_get(l, "max c")), "100");
    EXPECT_EQ(or_none(config_get(l, "Max cells to track please")), "<none>");
    EXPECT_EQ(or_none(config_get(l, "")), "5");
    EXPECT_EQ(or_none(config_get(l, "x")), "<none>");
    free_config(l);
    l = list_of({{"Speed", "1"}, {"speed", "2"}});
    EXPECT_EQ(or_none(config_get(l, "SPEED")), "2");
    free_config(l);
    l = list_of({{"Ab", "1"}, {"a[", "2"}});  // only A-Z fold: '[' is not '{'
    EXPECT_EQ(or_none(config_get(l, "a{")), "<none>");
    EXPECT_EQ(or_none(config_get(l, "aB")), "1");
    free_config(l);
}

TEST(ConfigLookup, DefaultAddsOnlyMissingWholeKeys) {
    GrowArray l = list_of({{"Speed", "1"}, {"speed", "2"}});
    config_default(&l, "SPEED", "9");
    EXPECT_EQ(l.count, 2u);
    config_default(&l, "Speed up", "3");
    config_default(&l, "Spee", "4");  // a prefix is not the whole key
    EXPECT_EQ(pairs(l), (Pairs{{"Speed", "1"}, {"speed", "2"}, {"Speed up", "3"}, {"Spee", "4"}}));
    free_config(l);
}

TEST(ConfigLookup, RemoveTakesTheLastEqualKeyAndMovesTheLastEntry) {
    GrowArray l = list_of({{"Speed", "1"}, {"speed", "2"}, {"x", "3"}});
    EXPECT_EQ(config_remove(&l, "speed"), 1);
    EXPECT_EQ(pairs(l), (Pairs{{"Speed", "1"}, {"x", "3"}}));
    free_config(l);
    l = list_of({{"speed", "2"}, {"x", "3"}, {"y", "4"}});
    EXPECT_EQ(config_remove(&l, "SPEED"), 1);
    EXPECT_EQ(pairs(l), (Pairs{{"y", "4"}, {"x", "3"}}));
    EXPECT_EQ(config_remove(&l, "sp"), 0);
    EXPECT_EQ(l.count, 2u);
    free_config(l);
}

TEST_F(ConfigFile, WriteRewritesInNormalForm) {
    GrowArray l = read_text("  Speed :3 \nno separator\nMax: a:b\n");
    std::string out = path("out.txt");
    EXPECT_EQ(write_config(l, out.c_str(), ':'), 1);
    EXPECT_EQ(read_file(out), std::string("Speed: 3") + EOL + "Max: a:b" + EOL);
    EXPECT_FALSE(fs::exists(out + ".new"));
    GrowArray again = read_config(out.c_str(), ':');
    EXPECT_EQ(pairs(again), pairs(l));
    EXPECT_EQ(write_config(again, out.c_str(), '='), 1);  // replaces the old file
    EXPECT_EQ(read_file(out), std::string("Speed= 3") + EOL + "Max= a:b" + EOL);
    free_config(l);
    free_config(again);
}

TEST_F(ConfigFile, WriteNeverDestroysWhatItCannotReplace) {
    GrowArray l = list_of({{"k", "v"}});
    // A directory in the file's place.
    fs::create_directories(dir / "config.txt" / "inside");
    EXPECT_EQ(write_config(l, path("config.txt").c_str(), ':'), 0);
    EXPECT_TRUE(fs::is_directory(dir / "config.txt" / "inside"));
    fs::remove_all(dir / "config.txt");

    // The side file cannot be made: the old content stays.
    write_file(path("config.txt"), "old: 1\n");
    fs::create_directories(dir / "config.txt.new");
    EXPECT_EQ(write_config(l, path("config.txt").c_str(), ':'), 0);
    EXPECT_EQ(read_file(path("config.txt")), "old: 1\n");
    EXPECT_TRUE(fs::is_directory(dir / "config.txt.new"));
    fs::remove_all(dir / "config.txt.new");

    // A folder that does not exist.
    EXPECT_EQ(write_config(l, path("no/such/config.txt").c_str(), ':'), 0);
    free_config(l);
}

TEST_F(ConfigFile, ReadOnlyFileIsLeftAsItWas) {
    std::string p = path("config.txt");
    write_file(p, "old: 1\r\n");
    fs::permissions(p, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    FILE* probe = fopen(p.c_str(), "r+b");
    if (probe) {
        fclose(probe);
        GTEST_SKIP() << "read-only files are writable for this user (root)";
    }
    GrowArray l = list_of({{"k", "v"}});
    EXPECT_EQ(write_config(l, p.c_str(), ':'), 0);
    EXPECT_EQ(read_file(p), "old: 1\r\n");
    free_config(l);
}

// A config.txt that is a symbolic link is written through: the target takes
// the new text, the links stay links, and no side file is left anywhere.
TEST_F(ConfigFile, SymbolicLinksAreWrittenThrough) {
    fs::create_directories(dir / "real");
    const std::string target = path("real/settings.txt");
    write_file(target, "old: 1\n");
    std::error_code ec;
    fs::create_symlink(fs::path("real") / "settings.txt", dir / "config.txt", ec);
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    GrowArray l = list_of({{"k", "v"}});
    EXPECT_EQ(write_config(l, path("config.txt").c_str(), ':'), 1);
    EXPECT_TRUE(fs::is_symlink(dir / "config.txt"));
    EXPECT_EQ(read_file(target), std::string("k: v") + EOL);

    // Through an absolute link to that link; and a dangling link creates its target.
    fs::create_symlink(dir / "config.txt", dir / "chain.txt");
    fs::create_symlink("made.txt", dir / "dangling.txt");
    GrowArray m = list_of({{"m", "2"}});
    EXPECT_EQ(write_config(m, path("chain.txt").c_str(), ':'), 1);
    EXPECT_EQ(write_config(m, path("dangling.txt").c_str(), ':'), 1);
    EXPECT_EQ(read_file(target), std::string("m: 2") + EOL);
    EXPECT_EQ(read_file(path("made.txt")), std::string("m: 2") + EOL);
    for (const char* link : {"config.txt", "chain.txt", "dangling.txt"})
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;

    // Links in a loop name no file: nothing is written.
    fs::create_symlink("loop_b", dir / "loop_a");
    fs::create_symlink("loop_a", dir / "loop_b");
    EXPECT_EQ(write_config(m, path("loop_a").c_str(), ':'), 0);
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        EXPECT_NE(entry.path().extension(), ".new") << entry.path();
    free_config(l);
    free_config(m);
}

TEST_F(ConfigFile, RewriteKeepsThePermissionBits) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has only a read-only bit, and read-only files are never replaced";
#endif
    using P = fs::perms;
    const std::string p = path("config.txt");
    write_file(p, "old: 1\n");
    GrowArray l = list_of({{"k", "v"}});
    // 0600 and 0664 both differ from what a new file gets under the usual umask.
    for (P bits : {P::owner_read | P::owner_write,
                   P::owner_read | P::owner_write | P::group_read | P::group_write | P::others_read}) {
        fs::permissions(p, bits);
        EXPECT_EQ(write_config(l, p.c_str(), ':'), 1);
        EXPECT_EQ(fs::status(p).permissions() & P::mask, bits);
    }
    // Through a link, the target's bits are the ones kept.
    std::error_code ec;
    fs::create_symlink("config.txt", dir / "link.txt", ec);
    if (!ec) {
        fs::permissions(p, P::owner_read | P::owner_write);
        EXPECT_EQ(write_config(l, path("link.txt").c_str(), ':'), 1);
        EXPECT_EQ(fs::status(p).permissions() & P::mask, P::owner_read | P::owner_write);
    }
    free_config(l);
}

// ---- typed settings ----

TEST(ConfigTyped, FlagsReadTheFirstCharacter) {
    GrowArray l = list_of({{"a", "yes"}, {"b", "True"}, {"c", "1x"}, {"d", "no"}, {"e", ""}, {"f", "on"}});
    for (const char* k : {"a", "b", "c"}) EXPECT_EQ(config_get_flag(l, k), 1) << k;
    for (const char* k : {"d", "e", "f", "zz"}) EXPECT_EQ(config_get_flag(l, k), 0) << k;
    free_config(l);
    l = config_make();
    config_set_flag(&l, "Fullscreen", 1);
    EXPECT_EQ(pairs(l), (Pairs{{"Fullscreen (Y/N)", "Y"}}));
    EXPECT_EQ(config_get_flag(l, "Fullscreen"), 1);
    config_set_flag(&l, "Fullscreen", 0);
    EXPECT_EQ(pairs(l), (Pairs{{"Fullscreen (Y/N)", "N"}}));
    std::string question(500, 'q');
    config_set_flag(&l, question.c_str(), 7);
    EXPECT_EQ(or_none(config_get(l, (question + " (Y/N)").c_str())), "Y");
    free_config(l);
}

TEST(ConfigTyped, NumbersAndTheirFormats) {
    GrowArray l = config_make();
    config_set_float(&l, "f", 1.0f / 3);
    config_set_double(&l, "d", 1.0 / 3);
    config_set_int(&l, "i", -2147483647 - 1);
    EXPECT_EQ(pairs(l), (Pairs{{"f", "0.3333333"}, {"d", "0.333333333333333"}, {"i", "-2147483648"}}));
    EXPECT_DOUBLE_EQ(config_get_double(l, "d", 5), 0.333333333333333);
    EXPECT_DOUBLE_EQ(config_get_double(l, "nothing", 5), 5);
    EXPECT_EQ(config_get_int(l, "i"), -2147483647 - 1);
    EXPECT_EQ(config_get_int(l, "nothing"), 0);
    config_set(&l, "i", "  42abc");
    EXPECT_EQ(config_get_int(l, "i"), 42);
    config_set(&l, "i", "99999999999999999999");
    EXPECT_EQ(config_get_int(l, "i"), 2147483647);  // clamped, not undefined
    config_set_double(&l, "big", 1e300);
    EXPECT_EQ(config_get_double(l, "big", 0), 1e300);
    free_config(l);
}

TEST(ConfigTyped, Arrays) {
    GrowArray l = config_make();
    double two[] = {0.1, 2};
    config_set_doubles(&l, "v", two, 2);
    EXPECT_EQ(or_none(config_get(l, "v")), "0.1,2");
    double out[3] = {-1, -1, -1};
    unsigned count = 99;
    config_get_doubles(l, "v", out, 1, &count);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(out[0], 0.1);
    EXPECT_EQ(out[1], -1);
    config_set(&l, "n", "1, 2,,3");
    int ints[5] = {9, 9, 9, 9, 9};
    config_get_ints(l, "n", ints, 5, &count);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(std::vector<int>(ints, ints + 5), (std::vector<int>{1, 2, 0, 3, 9}));
    float floats[2] = {7, 7};
    config_get_floats(l, "n", floats, 2, nullptr);
    EXPECT_EQ(floats[0], 1.0f);
    EXPECT_EQ(floats[1], 2.0f);
    config_get_ints(l, "missing", ints, 5, &count);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(ints[0], 1);
    int many[] = {3, -4, 5};
    config_set_ints(&l, "n", many, 3);
    float fl[] = {0.5f, 1.0f / 3};
    config_set_floats(&l, "fl", fl, 2);
    config_set_ints(&l, "empty", many, 0);
    EXPECT_EQ(pairs(l), (Pairs{{"v", "0.1,2"}, {"n", "3,-4,5"}, {"fl", "0.5,0.3333333"}, {"empty", ""}}));
    config_get_ints(l, "empty", ints, 5, &count);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(ints[0], 0);
    free_config(l);
}

TEST(ConfigTyped, NthHasSetAndReplace) {
    GrowArray l = list_of({{"a", "1"}, {"ab", "2"}, {"a", "3"}});
    EXPECT_EQ(or_none(config_get_nth(l, "a", 2)), "2");
    EXPECT_EQ(or_none(config_get_nth(l, "a", 3)), "3");
    EXPECT_EQ(or_none(config_get_nth(l, "a", 4)), "<none>");
    EXPECT_EQ(or_none(config_get_nth(l, "a", 0)), "<none>");
    EXPECT_EQ(config_get_int(l, "a"), 3);
    EXPECT_EQ(config_has(l, "AB"), 1);
    EXPECT_EQ(config_has(l, "abc"), 0);
    EXPECT_EQ(config_replace(&l, "A", "x"), 1);
    EXPECT_EQ(pairs(l), (Pairs{{"a", "1"}, {"ab", "2"}, {"a", "x"}}));
    EXPECT_EQ(config_replace(&l, "abc", "y"), 0);
    EXPECT_EQ(l.count, 3u);
    // config_set takes the last prefix match, not the shortest key.
    GrowArray m = list_of({{"Max cells to track", "100"}, {"Max cells x", "1"}, {"other", "0"}});
    config_set(&m, "max cells", "7");
    EXPECT_EQ(pairs(m), (Pairs{{"Max cells to track", "100"}, {"Max cells x", "7"}, {"other", "0"}}));
    config_set(&m, "new", "n");
    EXPECT_EQ(m.count, 4u);
    ConfigEntry* e = (ConfigEntry*)m.data;
    config_set(&m, "other", e[2].value);  // its own text as the new value
    EXPECT_EQ(or_none(config_get(m, "other")), "0");
    // config_replace_found writes where config_get reads: the shortest key.
    EXPECT_EQ(config_replace_found(&m, "max cells", "9"), 1);
    EXPECT_EQ(or_none(config_get(m, "MAX CELLS")), "9");
    EXPECT_EQ(pairs(m), (Pairs{{"Max cells to track", "100"}, {"Max cells x", "9"}, {"other", "0"}, {"new", "n"}}));
    EXPECT_EQ(config_replace_found(&m, "absent", "1"), 0);
    EXPECT_EQ(m.count, 4u);
    free_config(l);
    free_config(m);
}

TEST(ConfigTyped, AppendText) {
    char* t = nullptr;
    append_text(&t, "ab");
    append_text(&t, "");
    append_text(&t, "cd");
    EXPECT_STREQ(t, "abcd");
    free(t);
}
