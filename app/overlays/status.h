// The status line and the help panel, drawn over the map in the framework's
// own text, each on a dark band so that any map colour behind stays readable.
#pragma once
#include <cstddef>

#include "app/model/bucket_status.h"
#include "app/model/viewer_state.h"

// The status line: d (and its lock), phase, cells, the view window, the zoom
// and any warning; `progress` below 1 while a map is being drawn in parts.
void status_text(const ViewerState& s, float progress, char* out, size_t size);
// Its bucket part: measured against continuum area (and their ratio) and
// half-height, the tune, or "no bucket". With `pending` (the count's state,
// e.g. "measuring 40%") the measured figures read "..." and pending follows.
void status_bucket_text(const BucketFigures& f, const char* pending, char* out, size_t size);
// Drawn along the bottom of the window when the state shows it or has a
// notice: the line, the bucket's part, the last orbit's tune (`orbit`, may be
// null or empty) and the notice.
void status_draw(const ViewerState& s, float progress, const BucketStatus& bucket, const char* orbit);
// Every key and what it does, in the middle of the window.
void help_draw();
