// The fixed 256-colour palette (the colour index), its packed form, the
// nearest-index search, the hue-ordered palette and JASC-PAL palette files.
// Tables are three caller-owned arrays of 256 floats: red, green, blue.
#pragma once

// The colour of index i under the colour-index rules, for any int: indices
// above 255 give blue above 1, negatives fall into the 0-7 branch.
void colour_index_rgb(int i, float* red, float* green, float* blue);

void build_colour_index_table(float* red, float* green, float* blue);
void colour_index_table_packed(int* out);  // out[256], 0xRRGGBB
int nearest_colour_index(int colour);      // colour: 0xRRGGBB
void build_hue_palette(float* red, float* green, float* blue);

// Writes "path" as a JASC-PAL file. Returns the status of closing the file as
// the C runtime gives it, 0 on success (as save_bmp passes on the command
// interpreter's), and EOF when the file cannot be created (nothing is written
// then) or writing it failed.
int write_palette(const float* red, const float* green, const float* blue, const char* path);
