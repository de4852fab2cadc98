// Date and time pictures in the notation of GetDateFormatA/GetTimeFormatA
// ("yyyy-MMM-dd", "HH:mm:ss"), rendered with English names. Used by the
// backends that have no such call of their own.
#pragma once
#include "framework/platform/platform.h"

// Renders `picture` for `t`. date: the date elements (d M y g) are active;
// otherwise the time elements (h H m s t), hours forced to 24-hour form.
// Returns the length written including the terminator; 0 when it does not
// fit in `size` bytes (out is then ""), or the needed size when size is 0.
int format_time_picture(const SysTime* t, const char* picture, bool date, char* out, int size);
