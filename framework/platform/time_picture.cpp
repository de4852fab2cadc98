// Picture formatting for GetDateFormatA/GetTimeFormatA stand-ins: runs of
// one letter form an element, '...' is literal text ('' inside it is a quote).
#include "framework/platform/time_picture.h"
#include <cstdio>
#include <cstring>
#include <string>

static const char* const month_short[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
static const char* const month_long[12] = {"January", "February", "March", "April", "May", "June",
                                           "July", "August", "September", "October", "November", "December"};
static const char* const day_short[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
static const char* const day_long[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

static void number(std::string& s, int v, int width) {
    char b[32];
    snprintf(b, sizeof b, "%0*d", width & 7, v);
    s += b;
}

static void date_element(std::string& s, const SysTime* t, char c, int n) {
    int month = (t->month >= 1 && t->month <= 12) ? t->month - 1 : 0;
    int dow = t->day_of_week % 7;
    switch (c) {
    case 'd':
        if (n <= 2) number(s, t->day, n);
        else s += n == 3 ? day_short[dow] : day_long[dow];
        break;
    case 'M':
        if (n <= 2) number(s, t->month, n);
        else s += n == 3 ? month_short[month] : month_long[month];
        break;
    case 'y':
        if (n == 1) number(s, t->year % 100, 1);
        else if (n == 2) number(s, t->year % 100, 2);
        else number(s, t->year, 4);
        break;
    case 'g': s += "A.D."; break;
    }
}

static void time_element(std::string& s, const SysTime* t, char c, int n) {
    switch (c) {
    case 'h': case 'H': number(s, t->hour, n >= 2 ? 2 : 1); break;  // forced 24-hour
    case 'm': number(s, t->minute, n >= 2 ? 2 : 1); break;
    case 's': number(s, t->second, n >= 2 ? 2 : 1); break;
    case 't': s += t->hour < 12 ? (n == 1 ? "A" : "AM") : (n == 1 ? "P" : "PM"); break;
    }
}

int format_time_picture(const SysTime* t, const char* picture, bool date, char* out, int size) {
    std::string s;
    const char* active = date ? "dMyg" : "hHmst";
    for (const char* p = picture ? picture : ""; *p;) {
        if (*p == '\'' && p[1] == '\'') {  // '' is a quote mark
            s += '\'';
            p += 2;
            continue;
        }
        if (*p == '\'') {
            ++p;
            while (*p) {
                if (*p == '\'') {
                    if (p[1] == '\'') { s += '\''; p += 2; continue; }
                    ++p;
                    break;
                }
                s += *p++;
            }
            continue;
        }
        if (strchr(active, *p)) {
            char c = *p;
            int n = 0;
            while (*p == c) { ++p; ++n; }
            if (date) date_element(s, t, c, n);
            else time_element(s, t, c, n);
            continue;
        }
        s += *p++;
    }
    int needed = (int)s.size() + 1;
    if (size == 0) return needed;
    if (!out || needed > size) {
        if (out && size > 0) out[0] = 0;
        return 0;
    }
    memcpy(out, s.c_str(), (size_t)needed);
    return needed;
}
