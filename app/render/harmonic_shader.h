// The fragment program of the stability map with a second RF harmonic.
#pragma once
extern const char* const harmonic_fragment_source;
