// The fragment program of the stability map.
#pragma once
extern const char* const stability_fragment_source;
