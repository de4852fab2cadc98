// The viewer's start-up parameters on a real "config.txt" in a scratch working
// directory: first run, the user's edits, and files that are hostile, huge or
// cannot be written.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "app/model/map_space.h"
#include "app/model/viewer_params.h"
#include "tests/support/files.h"

namespace fs = std::filesystem;

static const std::string EOL = TEXT_EOL;

static const std::string DEFAULTS =
    "Accelerating phase (degrees): -30" + EOL + "Max cells to track: 100" + EOL;

class ViewerParamsFile : public ::testing::Test {
protected:
    ScratchFolder scratch{true};  // the working folder, where the viewer keeps "config.txt"
    void write_config_bytes(const std::string& bytes) { write_file("config.txt", bytes); }
    std::string config_bytes() { return read_file("config.txt"); }
};

TEST_F(ViewerParamsFile, FirstRunWritesBothDefaults) {
    ViewerParams p = read_viewer_params();
    EXPECT_EQ(p.phase, map_phase_radians(-30));
    EXPECT_EQ(p.cells, 100);
    EXPECT_EQ(config_bytes(), DEFAULTS);
    EXPECT_FALSE(fs::exists("config.txt.new"));
    p = read_viewer_params();  // its own file comes back unchanged
    EXPECT_EQ(p.cells, 100);
    EXPECT_EQ(config_bytes(), DEFAULTS);
}

TEST_F(ViewerParamsFile, UserEditsWinAndSurviveInNormalForm) {
    write_config_bytes("Accelerating phase (degrees):45\r\nmax cells:   7\nnot a setting\n  Colour : blue  \n");
    ViewerParams p = read_viewer_params();
    EXPECT_EQ(p.phase, map_phase_radians(45));
    EXPECT_EQ(p.cells, 7);  // "max cells" is shorter than "Max cells to track"
    EXPECT_EQ(config_bytes(), "Accelerating phase (degrees): 45" + EOL + "max cells: 7" + EOL + "Colour: blue" + EOL +
                                  "Max cells to track: 100" + EOL);
}

TEST_F(ViewerParamsFile, NonNumbersGiveZero) {
    write_config_bytes("Accelerating phase (degrees): west\nMax cells to track: lots\n");
    ViewerParams p = read_viewer_params();
    EXPECT_EQ(p.phase, 0.0f);
    EXPECT_EQ(p.cells, 0);
}

TEST_F(ViewerParamsFile, NulBytesEndLines) {
    write_config_bytes(std::string("Max cells: 5\0Accelerating phase (degrees): 10\0\0", 47));
    ViewerParams p = read_viewer_params();
    EXPECT_EQ(p.cells, 5);
    EXPECT_EQ(p.phase, map_phase_radians(10));
    EXPECT_EQ(config_bytes(),
              "Max cells: 5" + EOL + "Accelerating phase (degrees): 10" + EOL + "Max cells to track: 100" + EOL);
}

TEST_F(ViewerParamsFile, BinaryJunkIsReadAndRewrittenStably) {
    std::mt19937 rng(11);
    for (int round = 0; round < 5; round++) {
        std::string junk(200000, 0);
        for (char& c : junk) c = (char)(rng() & 0xFF);
        write_config_bytes(junk);
        read_viewer_params();
        std::string first = config_bytes();
        ViewerParams a = read_viewer_params();
        // Once in normal form, the file and the values stay as they are.
        EXPECT_EQ(config_bytes(), first);
        ViewerParams b = read_viewer_params();
        EXPECT_EQ(a.cells, b.cells);
        EXPECT_EQ(a.phase, b.phase);
    }
}

TEST_F(ViewerParamsFile, TenMegabyteLine) {
    std::string line(10 << 20, 'x');
    write_config_bytes(line + ": " + line + "\nMax cells: 3\n");
    ViewerParams p = read_viewer_params();
    EXPECT_EQ(p.cells, 3);
    EXPECT_EQ(p.phase, map_phase_radians(-30));
    std::string out = config_bytes();
    EXPECT_EQ(out.size(), line.size() * 2 + 2 + EOL.size() + std::string("Max cells: 3").size() + EOL.size() +
                              DEFAULTS.size());
}

TEST_F(ViewerParamsFile, AMillionShortLines) {
    std::string text;
    for (int i = 0; i < 1000000; i++) text += "k" + std::to_string(i % 1000) + ":" + std::to_string(i) + "\n";
    write_config_bytes(text + "Max cells: 12\n");
    ViewerParams p = read_viewer_params();
    EXPECT_EQ(p.cells, 12);
    std::string out = config_bytes();
    std::string head = "k0: 0" + EOL + "k1: 1" + EOL;
    EXPECT_EQ(out.substr(0, head.size()), head);
    EXPECT_EQ(out.substr(out.size() - DEFAULTS.size()), DEFAULTS);
}

TEST_F(ViewerParamsFile, DirectoryNamedConfigTxt) {
    fs::create_directories("config.txt/keep");
    ViewerParams p = read_viewer_params();
    EXPECT_EQ(p.cells, 100);
    EXPECT_EQ(p.phase, map_phase_radians(-30));
    EXPECT_TRUE(fs::is_directory("config.txt/keep"));
}

TEST_F(ViewerParamsFile, ReadOnlyFileIsReadButNotTouched) {
    const std::string content = "Max cells: 9\r\nAccelerating phase (degrees) : 60 \r\n";
    write_config_bytes(content);
    fs::permissions("config.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    FILE* probe = fopen("config.txt", "r+b");
    if (probe) {
        fclose(probe);
        GTEST_SKIP() << "read-only files are writable for this user (root)";
    }
    ViewerParams p = read_viewer_params();
    EXPECT_EQ(p.cells, 9);
    EXPECT_EQ(p.phase, map_phase_radians(60));
    EXPECT_EQ(config_bytes(), content);
}

TEST_F(ViewerParamsFile, SavedValuesGoWhereTheNextStartReadsThem) {
    write_config_bytes("max cells:   7\nAccelerating phase (degrees):45.5\n  Colour : blue  \n");
    read_viewer_params();
    // Edited meanwhile by the user: kept.
    write_config_bytes(config_bytes() + "Added: later" + EOL);
    EXPECT_EQ(save_viewer_params(35.5, true, 14, true), 1);
    EXPECT_EQ(config_bytes(), "max cells: 14" + EOL + "Accelerating phase (degrees): 35.5" + EOL +
                                  "Colour: blue" + EOL + "Max cells to track: 100" + EOL + "Added: later" + EOL);
    ViewerParams p = read_viewer_params();
    EXPECT_EQ(p.cells, 14);  // the user's shorter key was the one changed
    EXPECT_EQ(p.phase_degrees, 35.5);
    EXPECT_EQ(p.phase, map_phase_radians(35.5));
    EXPECT_FALSE(fs::exists("graphics_error.log"));
}

TEST_F(ViewerParamsFile, OnlyWhatTheKeysChangedIsSaved) {
    const std::string odd = "Max cells to track :100\r\nAccelerating phase (degrees) :   -30\r\nno separator\r\n";
    write_config_bytes(odd);
    EXPECT_EQ(save_viewer_params(-30, false, 100, false), 1);
    EXPECT_EQ(config_bytes(), odd);  // not even rewritten
    EXPECT_EQ(save_viewer_params(-20, true, 400, false), 1);
    EXPECT_EQ(config_bytes(), "Max cells to track: 100" + EOL + "Accelerating phase (degrees): -20" + EOL);
    fs::remove("config.txt");  // gone since the start: made again, complete
    EXPECT_EQ(save_viewer_params(-20, false, 50, true), 1);
    EXPECT_EQ(config_bytes(), "Accelerating phase (degrees): -30" + EOL + "Max cells to track: 50" + EOL);
}

TEST_F(ViewerParamsFile, SecondHarmonicIsReadWhenPresentAndWrittenOnceSet) {
    // Absent: off, and the file keeps its two lines.
    ViewerParams p = read_viewer_params();
    EXPECT_FALSE(harmonic_on(p.harmonic));
    EXPECT_EQ(save_viewer_params(-40, true, 100, false), 1);
    EXPECT_EQ(config_bytes(), "Accelerating phase (degrees): -40" + EOL + "Max cells to track: 100" + EOL);
    // Set with the keys: all three written, read back by the next start.
    Harmonic set = {0.35, 3, -120};
    EXPECT_EQ(save_viewer_params(-40, false, 100, false, &set), 1);
    std::string saved = config_bytes();
    p = read_viewer_params();
    EXPECT_EQ(config_bytes(), saved);
    EXPECT_TRUE(harmonic_equal(p.harmonic, set));
    EXPECT_NE(saved.find("Second harmonic voltage ratio: 0.35" + EOL + "Second harmonic number: 3" + EOL +
                         "Second harmonic phase (degrees): -120" + EOL),
              std::string::npos)
        << saved;
    // Edited by hand out of range: brought into it.
    for (const char* ratio : {"-1", "nan", "7"}) {
        write_config_bytes(std::string("Second harmonic voltage ratio: ") + ratio + "\nSecond harmonic number: 12\n");
        p = read_viewer_params();
        EXPECT_EQ(p.harmonic.ratio, ratio[0] == '7' ? harmonic_max_ratio : 0.0) << ratio;
        EXPECT_EQ(p.harmonic.number, harmonic_max_number) << ratio;
    }
}

TEST_F(ViewerParamsFile, UnwritableFileIsLeftAndTheLossLogged) {
    fs::create_directories("config.txt/keep");
    EXPECT_EQ(save_viewer_params(-10, true, 200, true), 0);
    EXPECT_TRUE(fs::is_directory("config.txt/keep"));
    std::string log = read_file("graphics_error.log");
    EXPECT_NE(log.find("config.txt could not be written"), std::string::npos) << log;
}
