// Fuzz target for the GrowArray file readers: any bytes read in the full or
// the small form (from a stream and, for the small form, by name too). A read
// array must hold exactly the bytes it was given, write back as the same
// bytes, and stay usable: appends and removals work on it.
//
// Input: byte 0 picks the form (bit 0) and the operations' element (bits 1-7);
// the rest is the file.
#include <string>
#include <vector>

#include "framework/util/grow_array.h"
#include "framework/util/utils.h"
#include "tools/fuzz/fuzz_target.h"

namespace {

// Elements appended by the operations; larger ones are left alone, as an
// element of gigabytes would only measure the heap.
const int32_t max_append_size = 4096;

bool same_array(const GrowArray& a, const GrowArray& b) {
    if (a.count != b.count || a.element_size != b.element_size || a.capacity != b.capacity ||
        a.min_capacity != b.min_capacity || memcmp(&a.growth, &b.growth, sizeof a.growth) != 0)
        return false;
    return !a.data || memcmp(a.data, b.data, (size_t)a.count * (size_t)a.element_size) == 0;
}

void use(GrowArray* a, uint8_t seed) {
    if (a->element_size > max_append_size) return;
    std::vector<unsigned char> element((size_t)a->element_size, seed);
    uint32_t before = a->count;
    uint32_t at = array_append(a, element.data());
    fuzz_require(at == before && a->count == before + 1 && a->count <= a->capacity, "append after a read");
    fuzz_require(memcmp((char*)a->data + (size_t)at * (size_t)a->element_size, element.data(), element.size()) == 0,
                 "appended element differs");
    array_remove_swap(a, seed % a->count);
    fuzz_require(a->count == before && a->count <= a->capacity, "removal after a read");
    GrowArray copy = array_copy(*a);
    array_trim(&copy);
    fuzz_require(copy.capacity == copy.count, "trim");
    array_free(copy);
}

}  // namespace

TESS_FUZZ_TARGET(grow_array, nullptr) {
    if (size < 1) return 0;
    const bool small = data[0] & 1;
    const std::string file(reinterpret_cast<const char*>(data) + 1, size - 1);
    FuzzTempFile path("grow_array", file);

    FILE* f = fopen(path.c_str(), "rb");
    fuzz_require(f != nullptr, "the input file could not be opened");
    GrowArray a = small ? array_read_small(f) : array_read(f);
    fclose(f);
    if (small) {
        GrowArray by_name = array_load_small(path.c_str());
        fuzz_require(same_array(a, by_name), "array_load_small differs from array_read_small");
        array_free(by_name);
    }
    if (!a.data) {
        fuzz_require(a.count == 0, "a failed read has elements");
        array_free(a);
        return 0;
    }
    const size_t header = small ? 5 : 16;
    const size_t bytes = (size_t)a.count * (size_t)a.element_size;
    fuzz_require(a.element_size > 0 && a.count <= a.capacity && header + bytes <= file.size(), "read record");
    fuzz_require(a.alias == nullptr, "a read array has an alias");
    // The block holds every slot: ASan sees a short one at its last byte.
    size_t block = (size_t)a.capacity * (size_t)a.element_size;
    if (block) ((volatile char*)a.data)[block - 1] = ((volatile char*)a.data)[block - 1];

    // Written back, the array is the bytes it was read from.
    FILE* out = fopen(path.c_str(), "wb");
    fuzz_require(out != nullptr, "the output file could not be opened");
    if (small)
        array_write_small(a, out);
    else
        array_write(a, out);
    fclose(out);
    int length = 0;
    char* back = (char*)read_whole_file(path.c_str(), &length);
    const std::string written = back ? std::string(back, (size_t)length) : std::string();
    free(back);
    fuzz_require(written == file.substr(0, header + bytes), "written back differs from what was read");

    use(&a, data[0]);
    array_free(a);
    return 0;
}
