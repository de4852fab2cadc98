// Files, bytes and fatal errors for tests (see files.h).
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef _WIN32
#include <process.h>  // _getpid, _spawnl
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes le32(uint32_t v) { return {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16), (uint8_t)(v >> 24)}; }

uint32_t float_bits(float f) {
    uint32_t u;
    memcpy(&u, &f, 4);
    return u;
}

std::string read_file(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    std::string out;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    fclose(f);
    return out;
}

void write_file(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    EXPECT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    fclose(f);
}

void write_file(const std::string& path, const Bytes& bytes) { write_file(path, std::string(bytes.begin(), bytes.end())); }

std::vector<std::string> sorted_names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The process that runs the tests, by id: this one, or in a death test's
// child (which inherits the variable) its parent, so that both name the same
// folder and the child does not clear what the parent put there.
static std::string run_id(bool* in_child) {
    std::string own = std::to_string(getpid());
    const char* id = getenv("TESS_TEST_RUN");
    *in_child = id && own != id;
    if (id) return id;
#ifdef _WIN32
    _putenv_s("TESS_TEST_RUN", own.c_str());
#else
    setenv("TESS_TEST_RUN", own.c_str(), 1);
#endif
    return own;
}

ScratchFolder::ScratchFolder(bool enter) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    bool in_child = false;
    std::string name = std::string("tess_") + (info ? info->test_suite_name() : "suite") + "_" +
                       (info ? info->name() : "test") + "_" + run_id(&in_child);
    for (char& c : name)
        if (c == '/') c = '_';  // parameterised names
    dir = fs::temp_directory_path() / name;
    if (!in_child) fs::remove_all(dir);
    fs::create_directories(dir);
    if (enter) {
        previous_ = fs::current_path();
        fs::current_path(dir);
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    if (!previous_.empty()) fs::current_path(previous_, ec);
    // Tests make files read-only; on Windows such a file cannot be removed.
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir, ec);
}

std::string last_line(const std::string& text) {
    std::string t = text;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
    return t.substr(t.find_last_of('\n') + 1);  // npos + 1 is 0: a single line
}

void expect_fatal(const std::function<void()>& fatal, const std::string& message, const fs::path& folder) {
    std::string pattern;  // the child's stderr holds the message only where the box is a line there
#ifndef _WIN32
    for (char c : message) pattern += std::string(strchr("\\^$.|?*+()[]{}", c) ? "\\" : "") + c;
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // children with an X connection of their own
    EXPECT_EXIT(
        {
            fs::current_path(folder);
#ifndef _WIN32
            unsetenv("DISPLAY");
#endif
            fatal();
        },
        ::testing::ExitedWithCode(1), pattern);
    std::string logged = last_line(read_file((folder / "graphics_error.log").string()));
    EXPECT_TRUE(logged.size() > message.size() && logged.substr(logged.size() - message.size() - 1) == " " + message)
        << logged;
}

#ifdef _WIN32
static const char* const SHELL = "Z:\\bin\\sh";
#endif

ErrorBoxDismisser::ErrorBoxDismisser() {
#ifdef _WIN32
    worker_ = std::thread([this] {
        for (; !stop_; std::this_thread::sleep_for(std::chrono::milliseconds(200)))
            _spawnl(_P_WAIT, SHELL, SHELL, "-c", "\"xdotool search --name 'Oh sod it' key Return 2>/dev/null\"", nullptr);
    });
#endif
}

ErrorBoxDismisser::~ErrorBoxDismisser() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

bool ErrorBoxDismisser::available() {
#ifdef _WIN32
    return fs::exists(SHELL) && fs::exists("Z:\\usr\\bin\\xdotool");
#else
    return true;
#endif
}
