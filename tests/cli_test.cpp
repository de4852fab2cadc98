// The command-line parser: what each mode takes, its defaults, and every kind
// of bad input turned into one line naming the problem.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/model/cli.h"

namespace {

struct Parsed {
    bool ok;
    CliOptions o;
    std::string message;
};

Parsed parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tessaline");
    Parsed p;
    char message[300];
    p.ok = cli_parse((int)args.size(), args.data(), &p.o, message, sizeof message);
    p.message = message;
    return p;
}

TEST(CliParse, ModesAndDefaults) {
    EXPECT_EQ(parse({}).o.mode, CLI_VIEWER);
    Parsed p = parse({"--render", "out.png"});
    ASSERT_TRUE(p.ok) << p.message;
    EXPECT_EQ(p.o.mode, CLI_RENDER);
    EXPECT_EQ(p.o.output, "out.png");
    EXPECT_EQ(p.o.d, 1.0);
    EXPECT_EQ(p.o.width * 10000 + p.o.height, 1920 * 10000 + 1080);
    EXPECT_EQ(std::vector<double>(p.o.view, p.o.view + 4), (std::vector<double>{0, 6.283185307179586, -3, 3}));
    EXPECT_FALSE(p.o.has_phase || p.o.has_cells || p.o.separatrix);  // config.txt decides
    EXPECT_EQ(parse({"--render", "x.png", "--help"}).o.mode, CLI_HELP);
    EXPECT_EQ(parse({"-h"}).o.mode, CLI_HELP);
    EXPECT_EQ(parse({"--version"}).o.mode, CLI_VERSION);
}

TEST(CliParse, EveryOptionTakesItsValue) {
    Parsed p = parse({"--render", "a b.png", "--phase", "-45.5", "--d=0.25", "--cells", "7", "--size", "640X400",
                      "--view", "-1,2.5,-0.5,1e-1", "--separatrix", "--manifolds"});
    ASSERT_TRUE(p.ok) << p.message;
    EXPECT_EQ(p.o.output, "a b.png");
    EXPECT_TRUE(p.o.has_phase && p.o.has_cells && p.o.separatrix && p.o.manifolds);
    EXPECT_EQ(p.o.phase_degrees, -45.5);
    EXPECT_EQ(p.o.d, 0.25);
    EXPECT_EQ(p.o.cells, 7);
    EXPECT_EQ(p.o.width * 10000 + p.o.height, 640 * 10000 + 400);
    EXPECT_EQ(std::vector<double>(p.o.view, p.o.view + 4), (std::vector<double>{-1, 2.5, -0.5, 0.1}));
    // The largest pictures the parser lets through; the driver may still refuse them.
    EXPECT_TRUE(parse({"--render", "x.png", "--size", "16384x16384", "--cells", "0"}).ok);
    EXPECT_TRUE(parse({"--render", "x.png", "--size", "65535x4096"}).ok);
    // A narrow view is taken while floats still tell its pixels apart: fewer pixels, narrower view.
    EXPECT_TRUE(parse({"--render", "x.png", "--size", "64x40", "--view", "1,1.001,0,0.001"}).ok);

    Parsed s = parse({"--scan", "0.5:2:4", "--csv", "s.csv", "--phase", "-60", "--size", "320x200"});
    ASSERT_TRUE(s.ok) << s.message;
    EXPECT_EQ(s.o.mode, CLI_SCAN);
    EXPECT_EQ(s.o.output, "s.csv");
    ASSERT_EQ(s.o.scan_count, 4);
    for (int k = 0; k < 4; k++) EXPECT_DOUBLE_EQ(cli_scan_d(s.o, k), 0.5 + 0.5 * k) << k;
    EXPECT_EQ(cli_scan_d(s.o, 3), 2.0);  // the last point is D1 exactly
    EXPECT_EQ(cli_scan_d(parse({"--scan", "3:9:1", "--csv", "s.csv"}).o, 0), 3.0);
    EXPECT_DOUBLE_EQ(cli_scan_d(parse({"--scan", "0.3:0.1:3", "--csv", "s.csv"}).o, 1), 0.2);

    Parsed t = parse({"--track", "2.5,-0.25", "--d", "0.5", "--cells", "10", "--phase", "-60", "--csv", "-"});
    ASSERT_TRUE(t.ok) << t.message;
    EXPECT_EQ(t.o.mode, CLI_TRACK);
    EXPECT_EQ(t.o.output, "-");
    EXPECT_EQ(std::vector<double>({t.o.track_x, t.o.track_xp, t.o.d}), (std::vector<double>{2.5, -0.25, 0.5}));
    Parsed f = parse({"--render", "f.SVG", "--axes", "--flip", "--colours", "log", "--orbit", "1,-0.5", "--orbit=2,0"});
    ASSERT_TRUE(f.ok) << f.message;
    EXPECT_TRUE(f.o.axes && f.o.flip && f.o.svg && f.o.scale == 1);
    EXPECT_EQ(f.o.orbits, (std::vector<float>{1, -0.5f, 2, 0}));
    EXPECT_FALSE(parse({"--render", "f.png"}).o.svg);
    Parsed m = parse({"--scan", "0:1:2", "--phases", "-60:-20:5", "--shard", "3/4", "--resume", "--csv", "m.csv"});
    ASSERT_TRUE(m.ok) << m.message;
    EXPECT_EQ(m.o.shard * 100 + m.o.shards, 304);
    EXPECT_TRUE(m.o.resume);
    ASSERT_EQ(m.o.phases_count, 5);
    EXPECT_EQ(cli_scan_phase(m.o, 0), -60.0);
    EXPECT_DOUBLE_EQ(cli_scan_phase(m.o, 1), -50.0);
    EXPECT_EQ(cli_scan_phase(m.o, 4), -20.0);
}

TEST(CliParse, HelpListsOptionsKeysAndExitCodes) {
    std::string help = cli_help_text();
    for (const char* option : {"--render", "--scan", "--track", "--csv", "--phase", "--cells", "--d", "--size",
                               "--view", "--separatrix", "--manifolds", "--version", "Exit codes"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    for (int i = 0; i < viewer_key_count; i++) EXPECT_NE(help.find(viewer_keys[i].keys), std::string::npos);
}

// Each bad input is refused with one line that names the option at fault.
TEST(CliParse, BadInputNamesTheProblem) {
    const struct {
        std::vector<const char*> args;
        const char* named;
    } cases[] = {
        {{"--frobnicate"}, "--frobnicate"},
        {{"stray"}, "stray"},
        {{"--render"}, "--render"},
        {{"--render", ""}, "--render"},
        {{"--render", "a.png", "--render", "b.png"}, "--render"},
        {{"--render", "a.png", "--size", "0x10"}, "--size 0x10"},
        {{"--render", "a.png", "--size", "99999x99999"}, "--size 99999x99999"},
        {{"--render", "a.png", "--size", "20000x20000"}, "more than"},
        {{"--render", "a.png", "--size", "640x"}, "--size 640x"},
        {{"--render", "a.png", "--size", " 640x400"}, "--size"},
        {{"--render", "a.png", "--d", "nan"}, "--d nan"},
        {{"--render", "a.png", "--d", "-infinity"}, "--d"},
        {{"--render", "a.png", "--d", "1e999"}, "--d 1e999"},
        {{"--render", "a.png", "--d", "1x"}, "--d 1x"},
        // Decimal only: strtod alone would take hexadecimal.
        {{"--render", "a.png", "--d", "0x10"}, "--d 0x10"},
        {{"--render", "a.png", "--phase", "0x1p3"}, "--phase 0x1p3"},
        {{"--render", "a.png", "--view", "0X1,2,-1,1"}, "--view"},
        {{"--scan", "0x1:2:3", "--csv", "x.csv"}, "--scan"},
        {{"--render", "a.png", "--d", "infinity"}, "--d"},
        {{"--render", "a.png", "--phase", "west"}, "--phase west"},
        {{"--render", "a.png", "--cells", "-1"}, "--cells -1"},
        {{"--render", "a.png", "--cells", "2.5"}, "--cells 2.5"},
        {{"--render", "a.png", "--cells", "99999999999999999999"}, "--cells"},
        {{"--render", "a.png", "--view", "1,1,0,0"}, "--view 1,1,0,0"},
        {{"--render", "a.png", "--view", "0,1,2,-2"}, "--view"},
        {{"--render", "a.png", "--view", "0,1,2"}, "--view 0,1,2"},
        {{"--render", "a.png", "--view", "0,1,,2"}, "--view"},
        // Narrower than float precision resolves: the zoom stops short of these too.
        {{"--render", "a.png", "--view", "3,3.000000001,-3,3"}, "--view 3,3.000000001,-3,3"},
        {{"--render", "a.png", "--view", "0,6,1,1.00001"}, "--view"},
        {{"--render", "a.png", "--view", "1,1.001,0,0.001"}, "--view"},  // at the default 1920x1080
        {{"--render", "a.png", "--csv", "x.csv"}, "--csv"},
        {{"--scan", "1:0:0", "--csv", "x.csv"}, "--scan 1:0:0"},
        {{"--scan", "0:1", "--csv", "x.csv"}, "--scan 0:1"},
        {{"--scan", "0:nan:3", "--csv", "x.csv"}, "--scan"},
        {{"--scan", "0:1:200000", "--csv", "x.csv"}, "--scan"},
        {{"--scan", "0:1:3"}, "--csv"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--view", "0,1,0,1"}, "--view"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--render", "a.png"}, "cannot be used together"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--manifolds"}, "--manifolds"},
        {{"--track", "1,2", "--csv", "-", "--scan", "0:1:3"}, "cannot be used together"},
        {{"--track", "1", "--csv", "-"}, "--track 1"},
        {{"--track", "1,nan", "--csv", "-"}, "--track 1,nan"},
        {{"--track", "1,2"}, "--csv"},
        {{"--track", "1,2", "--csv", "-", "--size", "10x10"}, "--size"},
        {{"--track", "1,2", "--csv", "-", "--manifolds"}, "--manifolds"},
        {{"--d", "2"}, "--d needs --render, --scan or --track"},
        {{"--axes"}, "--axes needs --render"},
        {{"--render", "a.png", "--colours", "rainbow"}, "--colours rainbow"},
        {{"--render", "a.png", "--orbit", "1"}, "--orbit 1"},
        {{"--render", "a.png", "--orbit", "1,nan"}, "--orbit"},
        {{"--render", "a.png", "--shard", "1/2"}, "--shard goes with --scan"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--axes"}, "--axes"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--shard", "3/2"}, "--shard 3/2"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--shard", "0/2"}, "--shard"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--phases", "-60:-30"}, "--phases"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--phases", "-60:-30:2", "--phase", "5"}, "--phases"},
        {{"--scan", "0:1:1000", "--csv", "x.csv", "--phases", "-60:-30:1000"}, "--phases"},
        // Control bytes the message quotes are shown as '?', so it stays one line.
        {{"--render", "a.png", "--d", "1\n2"}, "--d 1?2"},
        {{"--render", "a.png", "--phase", "\x1b[2J"}, "--phase ?[2J"},
        // Plain words: the option, and what it needs.
        {{"--render", "--d", "1"}, "--render: needs a PNG file name (OUT.png) before --d"},
        {{"--render", "a.png", "--d", "1", "--d", "2"}, "--d: given twice; give it once"},
        {{"--render", "a.png", "--d=1", "--d", "2"}, "--d: given twice"},
        {{"--render", "a.png", "--size"}, "--size: needs WIDTHxHEIGHT in pixels"},
        {{"--render", "a.png", "--separatrix=3"}, "--separatrix: takes no value"},
        {{"--render", "a.png", "extra"}, "extra: a word that belongs to no option"},
        {{"--render", "a.png", "--frob"}, "--frob: no such option"},
        {{"-x"}, "-x: no such option"},
        {{"--scan", "0:1:3", "--csv"}, "--csv: needs a CSV file name"},
    };
    for (const auto& c : cases) {
        Parsed p = parse(c.args);
        std::string args;
        for (const char* a : c.args) args += std::string(" [") + a + "]";
        EXPECT_FALSE(p.ok) << args;
        EXPECT_NE(p.message.find(c.named), std::string::npos) << args << " -> " << p.message;
        EXPECT_EQ(p.message.find('\n'), std::string::npos) << args;
    }
}

}  // namespace
