// A fast zlib stream for PNG rows: LZ77 against the pixel before and the row
// above only, in one block of deflate's fixed Huffman codes. The maps' flat
// bands and smooth columns become long matches, so it compresses them about as
// well as a searching encoder, at a small part of the time.
#pragma once

// The zlib stream of data[0 .. n): a heap block (free it) of *out_len bytes,
// or null when memory runs out. `pixel` and `row` are the distances (bytes)
// to the same byte of the pixel before and of the row above; 0 for none.
unsigned char* png_deflate(const unsigned char* data, int n, int pixel, int row, int* out_len);
