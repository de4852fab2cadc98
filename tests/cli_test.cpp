// The command-line parser: what each mode takes, its defaults, and every kind
// of bad input turned into one line naming the problem.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/cli.h"

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

TEST(CliParse, NoArgumentsIsTheViewer) {
    Parsed p = parse({});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.o.mode, CLI_VIEWER);
    EXPECT_EQ(p.message, "");
}

TEST(CliParse, RenderDefaults) {
    Parsed p = parse({"--render", "out.png"});
    ASSERT_TRUE(p.ok) << p.message;
    EXPECT_EQ(p.o.mode, CLI_RENDER);
    EXPECT_EQ(p.o.output, "out.png");
    EXPECT_EQ(p.o.d, 1.0);
    EXPECT_EQ(p.o.width, 1920);
    EXPECT_EQ(p.o.height, 1080);
    EXPECT_EQ(p.o.view[0], 0.0);
    EXPECT_EQ(p.o.view[1], 6.283185307179586);
    EXPECT_EQ(p.o.view[2], -3.0);
    EXPECT_EQ(p.o.view[3], 3.0);
    EXPECT_FALSE(p.o.has_phase);  // config.txt decides
    EXPECT_FALSE(p.o.has_cells);
    EXPECT_FALSE(p.o.separatrix);
}

TEST(CliParse, RenderWithEveryOption) {
    Parsed p = parse({"--render", "a b.png", "--phase", "-45.5", "--d=0.25", "--cells", "7", "--size", "640X400",
                      "--view", "-1,2.5,-0.5,1e-1", "--separatrix"});
    ASSERT_TRUE(p.ok) << p.message;
    EXPECT_EQ(p.o.output, "a b.png");
    EXPECT_TRUE(p.o.has_phase);
    EXPECT_EQ(p.o.phase_degrees, -45.5);
    EXPECT_EQ(p.o.d, 0.25);
    EXPECT_TRUE(p.o.has_cells);
    EXPECT_EQ(p.o.cells, 7);
    EXPECT_EQ(p.o.width, 640);
    EXPECT_EQ(p.o.height, 400);
    EXPECT_EQ(p.o.view[0], -1.0);
    EXPECT_EQ(p.o.view[1], 2.5);
    EXPECT_EQ(p.o.view[2], -0.5);
    EXPECT_EQ(p.o.view[3], 0.1);
    EXPECT_TRUE(p.o.separatrix);
    // The largest picture the parser lets through; the driver may still refuse it.
    EXPECT_TRUE(parse({"--render", "x.png", "--size", "16384x16384"}).ok);
    EXPECT_TRUE(parse({"--render", "x.png", "--size", "65535x4096"}).ok);
    EXPECT_TRUE(parse({"--render", "x.png", "--cells", "0"}).ok);
}

TEST(CliParse, ScanAndItsPoints) {
    Parsed p = parse({"--scan", "0.5:2:4", "--csv", "s.csv", "--phase", "-60", "--size", "320x200"});
    ASSERT_TRUE(p.ok) << p.message;
    EXPECT_EQ(p.o.mode, CLI_SCAN);
    EXPECT_EQ(p.o.output, "s.csv");
    EXPECT_EQ(p.o.scan_count, 4);
    const double want[] = {0.5, 1.0, 1.5, 2.0};
    for (int k = 0; k < 4; k++) EXPECT_DOUBLE_EQ(cli_scan_d(p.o, k), want[k]) << k;
    EXPECT_EQ(cli_scan_d(p.o, 3), 2.0);  // the last point is D1 exactly
    Parsed one = parse({"--scan", "3:9:1", "--csv", "s.csv"});
    ASSERT_TRUE(one.ok);
    EXPECT_EQ(cli_scan_d(one.o, 0), 3.0);
    Parsed down = parse({"--scan", "0.3:0.1:3", "--csv", "s.csv"});
    ASSERT_TRUE(down.ok);
    EXPECT_DOUBLE_EQ(cli_scan_d(down.o, 1), 0.2);
}

TEST(CliParse, HelpAndVersionWinOverTheRest) {
    EXPECT_EQ(parse({"--help"}).o.mode, CLI_HELP);
    EXPECT_EQ(parse({"-h"}).o.mode, CLI_HELP);
    EXPECT_EQ(parse({"--render", "x.png", "--help"}).o.mode, CLI_HELP);
    EXPECT_EQ(parse({"--version"}).o.mode, CLI_VERSION);
    std::string help = cli_help_text();
    for (const char* option : {"--render", "--scan", "--csv", "--phase", "--cells", "--d", "--size", "--view",
                               "--separatrix", "--version", "Exit codes"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    for (int i = 0; i < viewer_key_count; i++) EXPECT_NE(help.find(viewer_keys[i].keys), std::string::npos);
    EXPECT_EQ(cli_version_text().rfind("tessaline ", 0), 0u);
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
        {{"--render", "a.png", "--size", "640"}, "--size 640"},
        {{"--render", "a.png", "--size", "640x"}, "--size 640x"},
        {{"--render", "a.png", "--size", "640x400x2"}, "--size"},
        {{"--render", "a.png", "--size", " 640x400"}, "--size"},
        {{"--render", "a.png", "--size", "-640x400"}, "--size"},
        {{"--render", "a.png", "--d", "nan"}, "--d nan"},
        {{"--render", "a.png", "--d", "inf"}, "--d inf"},
        {{"--render", "a.png", "--d", "-infinity"}, "--d"},
        {{"--render", "a.png", "--d", "1e999"}, "--d 1e999"},
        {{"--render", "a.png", "--d", "1x"}, "--d 1x"},
        {{"--render", "a.png", "--d", "1 "}, "--d"},
        {{"--render", "a.png", "--d", ""}, "--d"},
        {{"--render", "a.png", "--phase", "west"}, "--phase west"},
        {{"--render", "a.png", "--cells", "-1"}, "--cells -1"},
        {{"--render", "a.png", "--cells", "2.5"}, "--cells 2.5"},
        {{"--render", "a.png", "--cells", "1e3"}, "--cells 1e3"},
        {{"--render", "a.png", "--cells", "99999999999999999999"}, "--cells"},
        {{"--render", "a.png", "--view", "1,1,0,0"}, "--view 1,1,0,0"},
        {{"--render", "a.png", "--view", "0,1,2,-2"}, "--view"},
        {{"--render", "a.png", "--view", "0,1,2"}, "--view 0,1,2"},
        {{"--render", "a.png", "--view", "0,1,nan,2"}, "--view"},
        {{"--render", "a.png", "--view", "0,1,,2"}, "--view"},
        {{"--render", "a.png", "--csv", "x.csv"}, "--csv"},
        {{"--scan", "1:0:0", "--csv", "x.csv"}, "--scan 1:0:0"},
        {{"--scan", "0:1", "--csv", "x.csv"}, "--scan 0:1"},
        {{"--scan", "0:1:2.5", "--csv", "x.csv"}, "--scan"},
        {{"--scan", "0:nan:3", "--csv", "x.csv"}, "--scan"},
        {{"--scan", "0:1:200000", "--csv", "x.csv"}, "--scan"},
        {{"--scan", "0:1:3"}, "--csv"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--d", "2"}, "--d"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--view", "0,1,0,1"}, "--view"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--separatrix"}, "--separatrix"},
        {{"--scan", "0:1:3", "--csv", "x.csv", "--render", "a.png"}, "--render and --scan"},
        {{"--d", "2"}, "--d needs --render or --scan"},
        {{"--csv", "x.csv"}, "--csv"},
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

TEST(CliParse, SmallMessageBufferStaysTerminated) {
    char message[8];
    const char* args[] = {"tessaline", "--render", "a.png", "--size", "0x10"};
    CliOptions o;
    EXPECT_FALSE(cli_parse(5, args, &o, message, sizeof message));
    EXPECT_EQ(std::string(message), "--size ");
}

}  // namespace
