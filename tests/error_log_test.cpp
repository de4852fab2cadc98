// The error log's time formatters and the calendar helpers under them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/platform/time_picture.h"
#include "framework/window/error_log.h"
#include "framework/window/graphics.h"

namespace {

TEST(TimeConversion, FileTimeOfKnownInstants) {
    EXPECT_EQ(time_to_filetime(0), 116444736000000000ull);
    EXPECT_EQ(time_to_filetime(-11644473600.0), 0ull);
    EXPECT_EQ(time_to_filetime(1.5), 116444736015000000ull);
    SysTime st;
    time_to_systemtime(0, &st);
    EXPECT_EQ(st.year, 1970);
    EXPECT_EQ(st.month, 1);
    EXPECT_EQ(st.day, 1);
    EXPECT_EQ(st.day_of_week, 4);  // a Thursday
    EXPECT_EQ(st.hour, 0);
    // 2000-02-29 12:34:56.789 UTC, a Tuesday: a leap day in a century leap year.
    time_to_systemtime(951827696.789, &st);
    EXPECT_EQ(st.year, 2000);
    EXPECT_EQ(st.month, 2);
    EXPECT_EQ(st.day, 29);
    EXPECT_EQ(st.day_of_week, 2);
    EXPECT_EQ(st.hour, 12);
    EXPECT_EQ(st.minute, 34);
    EXPECT_EQ(st.second, 56);
    EXPECT_NEAR(st.milliseconds, 789, 1);
    // 1900 was not a leap year: 1900-03-01 follows 1900-02-28.
    time_to_systemtime(-2203891200.0, &st);
    EXPECT_EQ(st.year, 1900);
    EXPECT_EQ(st.month, 3);
    EXPECT_EQ(st.day, 1);
    // Values outside what a file time can hold are clamped, not undefined.
    time_to_filetime(1e300);
    time_to_filetime(-1e300);
}

TEST(TimeFormat, DateAndTimeOfTheEpoch) {
    char out[202];
    EXPECT_STREQ(format_date(0, out), "1970-Jan-01");
    EXPECT_STREQ(format_time(0, out), "00:00:00");
    EXPECT_STREQ(format_date_time(86399, out), "1970-Jan-01 23:59:59");
    EXPECT_STREQ(format_filetime(time_to_filetime(951827696), out), "2000-Feb-29 12:34:56");
}

TEST(TimeFormat, NowIsLocalTimeAndAValueIsUtc) {
    char now_text[202], out[202];
    format_date_time(-9e99, now_text);
    EXPECT_EQ(strlen(now_text), strlen("2026-Dec-07 05:00:00")) << now_text;
    format_date(-9e99, out);
    EXPECT_EQ(std::string(now_text).substr(0, 11), out);
}

TEST(TimeFormat, PicturesFollowTheFormatLetters) {
    SysTime t = {2024, 7, 3, 4, 9, 5, 7, 0};  // Wednesday 2024-07-04 09:05:07
    char out[100];
    ASSERT_GT(format_time_picture(&t, "d dd ddd dddd M MM MMM MMMM y yy yyyy", true, out, sizeof out), 0);
    EXPECT_STREQ(out, "4 04 Wed Wednesday 7 07 Jul July 24 24 2024");
    format_time_picture(&t, "'Day' d 'of' MMMM, ''yy", true, out, sizeof out);
    EXPECT_STREQ(out, "Day 4 of July, '24");
    format_time_picture(&t, "H:m:s HH:mm:ss hh tt", false, out, sizeof out);
    EXPECT_STREQ(out, "9:5:7 09:05:07 09 AM");
    // Too small a buffer fails with an empty text; size 0 asks for the size.
    EXPECT_EQ(format_time_picture(&t, "yyyy-MMM-dd", true, out, 11), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(format_time_picture(&t, "yyyy-MMM-dd", true, nullptr, 0), 12);
}

TEST(TimeFormat, OverlongPictureLeavesItsPartEmpty) {
    char saved[100];
    strcpy(saved, graphics.date_format);
    std::string longer;
    for (int i = 0; i < 19; i++) longer += "MMMM ";  // "January " nineteen times: over 100 characters
    snprintf(graphics.date_format, sizeof graphics.date_format, "%s", longer.c_str());
    char out[202];
    format_date_time(0, out);
    EXPECT_STREQ(out, " 00:00:00");
    strcpy(graphics.date_format, saved);
}

}  // namespace
