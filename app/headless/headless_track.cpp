// --track: the start a left click at (X, XP) would take, tracked in float
// with the program's arithmetic through the map of --phase, --d and --cells,
// its tune and amplitude as the status line gives them, written as CSV whole
// (or to standard output for "-").
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/headless/headless.h"
#include "app/model/harmonic.h"
#include "app/model/orbit_tune.h"
#include "app/model/physics.h"
#include "app/model/real_text.h"
#include "app/model/view_window.h"
#include "framework/window/file_write.h"

static std::string float_text(float v) {
    char text[32];
    snprintf(text, sizeof text, "%.9g", (double)v);  // enough digits to give the same float back
    return text;
}

int headless_track(const CliOptions& o) {
    HeadlessParams p = headless_params(o);
    // As state_click takes a pixel's centre: texture coordinates rounded to
    // float, then the program's own start.
    StartPoint start = program_start((float)view_s(o.track_x), (float)view_t(o.track_xp));
    const float d = (float)o.d;
    // The start and one point per pass, at most maxit + 1 passes.
    const size_t most = (size_t)p.maxit + 2;
    std::vector<float> points(2 * most);
    const HarmonicUniforms second = harmonic_uniforms(p.harmonic);
    int passes = track_start(start.x, start.xp, d, p.phase, p.maxit, points.data(), (int)most, &second);
    int kept = (int)std::min((size_t)passes + 1, most);
    double centre = NAN;
    if (harmonic_on(p.harmonic)) harmonic_main_point(p.harmonic, p.phase, &centre);
    OrbitTune tune = orbit_tune(points.data(), kept, passes, p.maxit, p.phase, d, centre);

    std::string csv = "# phase_degrees: " + real_text(p.phase_degrees) + "\n# d: " + real_text(o.d) +
                      "\n# cells: " + std::to_string(p.cells) +
                      (harmonic_on(p.harmonic) ? "\n# harmonic: " + std::to_string(p.harmonic.number) +
                                                     "\n# ratio: " + real_text(p.harmonic.ratio) +
                                                     "\n# harmonic_phase_degrees: " + real_text(p.harmonic.phase_degrees)
                                               : std::string()) +
                      "\n# start: " + float_text(start.x) + "," +
                      float_text(start.xp) + "\n# tune_degrees: " +
                      (tune.survived ? real_text(tune.tune_degrees) : std::string("none")) +
                      "\n# amplitude (largest |xp|): " + real_text(tune.amplitude) + "\ncell,x,xp\n";
    for (int i = 0; i < kept; i++)
        csv += std::to_string(i) + "," + float_text(points[2 * i]) + "," + float_text(points[2 * i + 1]) + "\n";
    if (o.output == "-") {
        bool written = fwrite(csv.data(), 1, csv.size(), stdout) == csv.size() && fflush(stdout) == 0;
        if (written) return CLI_EXIT_OK;
        headless_report("could not write to standard output");
        return CLI_EXIT_FAILED;
    }
    return write_file_whole(o.output.c_str(), csv.data(), csv.size()) ? CLI_EXIT_OK : headless_write_failed(o.output);
}
