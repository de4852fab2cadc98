// The viewer's keys, in one table: the help panel, --help and the README's
// table all follow it (an end-to-end test holds the README to it). ASCII only:
// the panel draws it with the embedded font.
#pragma once

struct ViewerKey {
    const char* keys;
    const char* action;
};
extern const ViewerKey viewer_keys[];
extern const int viewer_key_count;
