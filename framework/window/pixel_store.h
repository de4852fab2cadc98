// The pixel pack and unpack state that decides where GL reads and writes
// client memory. Every read-back and upload of the framework pins the state
// its buffer assumes and gives the caller's state back afterwards.
#pragma once
#include "framework/platform/gl.h"

// One direction's state: pack for read-backs, unpack for uploads.
struct PixelStore {
    bool pack;
    GLint alignment;
    GLint row_length;
    GLint skip_rows;
    GLint skip_pixels;
};

// Saves the caller's state of one direction and sets rows padded to 4 bytes,
// as long as the image is wide, starting at the buffer's first byte.
PixelStore pixel_store_pin(bool pack);
void pixel_store_restore(const PixelStore& saved);
