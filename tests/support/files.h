// Files and bytes for tests: a scratch folder per test, whole files read and
// written as byte strings, little-endian pieces, and fatal errors run in a
// death-test child. Nothing here needs a window or GL.
#pragma once
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

typedef std::vector<uint8_t> Bytes;

Bytes cat(std::initializer_list<Bytes> parts);
Bytes le32(uint32_t v);
uint32_t float_bits(float f);

std::string read_file(const std::string& path);  // "<missing>" when it cannot be opened
void write_file(const std::string& path, const std::string& bytes);  // a test failure when it cannot
void write_file(const std::string& path, const Bytes& bytes);
std::vector<std::string> sorted_names(const std::filesystem::path& dir);  // of what the folder holds

// The line end a text-mode write gives.
#ifdef _WIN32
constexpr char TEXT_EOL[] = "\r\n";
#else
constexpr char TEXT_EOL[] = "\n";
#endif

// A fresh folder for one test, named after the test and the process (other
// builds' runs may be going on beside this one; a death test's child names its
// parent's folder and leaves it as it is), optionally the working folder until
// the test ends; then removed with everything in it, made writable first.
class ScratchFolder {
public:
    explicit ScratchFolder(bool enter = false);
    ~ScratchFolder();
    std::string path(const char* name) const { return (dir / name).string(); }
    std::filesystem::path dir;

private:
    std::filesystem::path previous_;
};

// Runs fatal in a death-test child working in folder, which must end with exit
// code 1, print the message (where the box is a line on standard error: Linux,
// or no window layer) and leave it after the stamp on the last line of the
// folder's "graphics_error.log". The child drops its display on Linux, so only
// that line stands for the box; under Wine the box is real: keep an
// ErrorBoxDismisser alive around the call.
void expect_fatal(const std::function<void()>& fatal, const std::string& message,
                  const std::filesystem::path& folder);
std::string last_line(const std::string& text);  // without its line end

// Presses the error box away under Wine with xdotool (which Wine starts as a
// Unix program) while it lives; nothing elsewhere.
class ErrorBoxDismisser {
public:
    ErrorBoxDismisser();
    ~ErrorBoxDismisser();
    static bool available();  // false under Wine without sh or xdotool

private:
    std::atomic<bool> stop_{false};
    std::thread worker_;
};
