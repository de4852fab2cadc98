// The program a platform entry runs. Every program on the framework (the
// viewer, the examples) defines app_main; the entry calls it.
#pragma once
int app_main(const char* command_line);
