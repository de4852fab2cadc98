#include "app/viewer_keys.h"

const ViewerKey viewer_keys[] = {
    {"pointer across", "sets the step d: 0 at the left edge, nearly 5 at the right"},
    {"Left / Right", "accelerating phase -1 / +1 degree (with Shift: 10)"},
    {"Up / Down", "cells to track x2 / /2 (1 to 100000)"},
    {"Space", "lock d where it is / let the pointer set it again"},
    {"Wheel", "zoom in / out by 1.25 about the point under the pointer"},
    {"Right drag", "move the view with the pointer"},
    {"Home", "the full view"},
    {"I", "status line on / off"},
    {"H, F1", "help panel on / off"},
    {"F", "preview: a coarser map while the map's inputs change"},
    {"S", "continuum separatrix (yellow) and fixed points on / off"},
    {"Left click", "with d locked: track the point under the pointer (16 orbits kept)"},
    {"C", "clear the tracked orbits"},
    {"G", "plot of the measured bucket area against d on / off"},
    {"P", "save the window as tessaline-NNNN.png"},
    {"Escape, Q", "quit (phase and cells changed with keys go to config.txt)"},
};
const int viewer_key_count = (int)(sizeof viewer_keys / sizeof viewer_keys[0]);
