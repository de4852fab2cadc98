// What every fuzz target in tools/fuzz shares. TESS_FUZZ_TARGET(name, init)
// opens the body that takes one input: in a libFuzzer build (TESS_FUZZ_MAIN,
// see cmake/fuzz.cmake) it is LLVMFuzzerTestOneInput, with init run once by
// LLVMFuzzerInitialize; elsewhere it is registered under its name, so that
// tests/fuzz_crashers_test.cpp replays kept inputs through the same code.
// Plain C++17 without libFuzzer's headers: the replay builds with GCC and MinGW.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

typedef int (*FuzzOneFn)(const uint8_t* data, size_t size);
typedef void (*FuzzInitFn)();

struct FuzzTarget {
    const char* name;
    FuzzOneFn one;
    FuzzInitFn init;  // null: nothing to prepare
};

inline std::vector<FuzzTarget>& fuzz_targets() {
    static std::vector<FuzzTarget> targets;
    return targets;
}

inline int fuzz_register(const char* name, FuzzOneFn one, FuzzInitFn init) {
    fuzz_targets().push_back({name, one, init});
    return 0;
}

#ifdef TESS_FUZZ_MAIN
#define TESS_FUZZ_TARGET(name, init)                                      \
    static int fuzz_one_##name(const uint8_t* data, size_t size);         \
    extern "C" int LLVMFuzzerInitialize(int*, char***) {                  \
        FuzzInitFn f = init;                                              \
        if (f) f();                                                       \
        return 0;                                                         \
    }                                                                     \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return fuzz_one_##name(data, size); } \
    static int fuzz_one_##name(const uint8_t* data, size_t size)
#else
#define TESS_FUZZ_TARGET(name, init)                                      \
    static int fuzz_one_##name(const uint8_t* data, size_t size);         \
    [[maybe_unused]] static const int fuzz_registered_##name = fuzz_register(#name, fuzz_one_##name, init); \
    static int fuzz_one_##name(const uint8_t* data, size_t size)
#endif

// A broken invariant: says which and aborts, which libFuzzer keeps as a
// finding and the replay test shows as a crash of that input.
inline void fuzz_require(bool ok, const char* what) {
    if (ok) return;
    fprintf(stderr, "fuzz invariant broken: %s\n", what);
    fflush(stderr);
    abort();
}

// Reads an input front to back; past its end every read gives zeros or
// empty pieces, so a short input is still a whole (if dull) case.
struct FuzzInput {
    const uint8_t* data;
    size_t size;
    size_t at;

    bool done() const { return at >= size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    uint32_t u32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; i++) v |= (uint32_t)byte() << (8 * i);
        return v;
    }
    std::string bytes(size_t n) {
        size_t k = n < size - at ? n : size - at;
        std::string s((const char*)data + at, k);
        at += k;
        return s;
    }
    std::string piece() { return bytes(byte()); }  // one byte of length, then that many bytes
    std::string rest() { return bytes(size - at); }
};

// A file of this process for targets that read files: the name carries the
// tag and the process id, so parallel fuzzing jobs never share one.
inline std::string fuzz_temp_path(const char* tag) {
#ifdef _WIN32
    long pid = (long)_getpid();
#else
    long pid = (long)getpid();
#endif
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    return (dir / ("tess_fuzz_" + std::string(tag) + "_" + std::to_string(pid))).string();
}

inline bool fuzz_write_file(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (fclose(f) != 0) ok = false;
    return ok;
}

// A temporary file of this process (fuzz_temp_path), holding the bytes given
// if any, removed when it goes out of scope.
struct FuzzTempFile {
    std::string path;

    explicit FuzzTempFile(const char* tag) : path(fuzz_temp_path(tag)) {}
    FuzzTempFile(const char* tag, const std::string& bytes) : FuzzTempFile(tag) {
        fuzz_require(fuzz_write_file(path, bytes), "the input file could not be written");
    }
    ~FuzzTempFile() { remove(path.c_str()); }
    FuzzTempFile(const FuzzTempFile&) = delete;
    FuzzTempFile& operator=(const FuzzTempFile&) = delete;
    const char* c_str() const { return path.c_str(); }
};
