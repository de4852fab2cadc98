// The SVG figure (see figure_svg.h). Coordinates are the PNG figure's
// pixels; the overlays' group maps phase space onto the map's rectangle.
#include "app/render/figure_svg.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/model/map_colours.h"
#include "app/model/map_space.h"
#include "app/model/physics.h"
#include "app/model/real_text.h"
#include "framework/window/png.h"

namespace {

std::string base64(const unsigned char* data, size_t n) {
    static const char* const digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    s.reserve((n + 2) / 3 * 4);
    for (size_t i = 0; i < n; i += 3) {
        unsigned v = data[i] << 16 | (i + 1 < n ? data[i + 1] << 8 : 0) | (i + 2 < n ? data[i + 2] : 0);
        s += digits[v >> 18 & 63];
        s += digits[v >> 12 & 63];
        s += i + 1 < n ? digits[v >> 6 & 63] : '=';
        s += i + 2 < n ? digits[v & 63] : '=';
    }
    return s;
}

std::string colour(int c) {
    char buf[8];
    snprintf(buf, sizeof buf, "#%06X", c & 0xFFFFFF);
    return buf;
}

// Text for an XML document, pi as its glyph.
std::string xml_text(const std::string& t) {
    std::string s;
    for (size_t i = 0; i < t.size(); i++) {
        if (t.compare(i, 2, "pi") == 0) {
            s += "\xCF\x80";
            i++;
        } else if (t[i] == '&') {
            s += "&amp;";
        } else if (t[i] == '<') {
            s += "&lt;";
        } else if (t[i] == '>') {
            s += "&gt;";
        } else {
            s += t[i];
        }
    }
    return s;
}

std::string num(double v) { return real_text(std::round(v * 1000) / 1000); }

// Phase-space coordinates: as many digits as a zoomed view needs.
std::string num_phase(double v) {
    char buf[32];
    snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

std::string rect(const FigureRect& r, int fill) {
    return "<rect x=\"" + num(r.x) + "\" y=\"" + num(r.y) + "\" width=\"" + num(r.w) + "\" height=\"" + num(r.h) +
           "\" fill=\"" + colour(fill) + "\"/>\n";
}

// The separatrix's closed curve in phase space, upper branch out and lower back.
std::string separatrix_path(double phase) {
    double left, right, xp;
    if (!separatrix_span(phase, &left, &right)) return "";
    const int n = 400;
    std::string up, down;
    for (int k = 0; k <= n; k++) {
        double x = left + (right - left) * k / n;
        double p = separatrix_xp(phase, x, &xp) ? xp : 0;
        up += (k ? " L" : "M") + num_phase(x) + "," + num_phase(p);
        down = " L" + num_phase(x) + "," + num_phase(-p) + down;
    }
    return up + down + " Z";
}

// The fixed points' marks in phase space: a circle on the stable one, a cross on the unstable one.
std::string fixed_point_marks(double phase, double rx, double ry) {
    FixedPoints f = fixed_points(phase, 0);
    const std::string style = "fill=\"none\" vector-effect=\"non-scaling-stroke\"";
    const std::string left = num_phase(f.x_unstable - rx), right = num_phase(f.x_unstable + rx);
    return "<ellipse " + style + " cx=\"" + num_phase(f.x_stable) + "\" cy=\"0\" rx=\"" + num_phase(rx) + "\" ry=\"" +
           num_phase(ry) + "\"/>\n<path class=\"fixed-point\" " + style + " d=\"M" + left + "," + num_phase(-ry) + " L" +
           right + "," + num_phase(ry) + " M" + left + "," + num_phase(ry) + " L" + right + "," + num_phase(-ry) + "\"/>\n";
}

}  // namespace

bool figure_svg(const FigureParams& s, const FigureLayout& l, const RgbPicture& map, const SvgOverlays& o,
                int line_height, std::string* out) {
    size_t bytes = 0;
    unsigned char* png = png_encode(map.rgb.data(), map.w, map.h, (long long)map.w * 3, false, nullptr, 0, &bytes);
    if (!png) return false;
    std::string& d = *out;
    const FigureRect& m = l.map;
    d = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
        "xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" width=\"" + std::to_string(s.width) +
        "\" height=\"" + std::to_string(s.height) + "\" viewBox=\"0 0 " + std::to_string(s.width) + " " +
        std::to_string(s.height) + "\">\n";
    d += "<rect width=\"100%\" height=\"100%\" fill=\"#FFFFFF\"/>\n";
    d += "<image x=\"" + num(m.x) + "\" y=\"" + num(m.y) + "\" width=\"" + num(m.w) + "\" height=\"" + num(m.h) +
         "\" preserveAspectRatio=\"none\" style=\"image-rendering:pixelated\" xlink:href=\"data:image/png;base64," +
         base64(png, bytes) + "\"/>\n";
    free(png);
    // Phase space onto the map's rectangle: x across, xp down (up when flipped).
    const ViewWindow& v = s.view;
    double a = m.w / (v.x1 - v.x0), e = m.x - v.x0 * a;
    double dy = m.h / (v.xp1 - v.xp0), f = m.y - v.xp0 * dy;
    if (s.flip) {
        dy = -dy;
        f = m.y + m.h + v.xp0 * (m.h / (v.xp1 - v.xp0));
    }
    d += "<clipPath id=\"map\"><rect x=\"" + num(m.x) + "\" y=\"" + num(m.y) + "\" width=\"" + num(m.w) +
         "\" height=\"" + num(m.h) + "\"/></clipPath>\n";
    d += "<g clip-path=\"url(#map)\"><g transform=\"matrix(" + num_phase(a) + " 0 0 " + num_phase(dy) + " " +
         num_phase(e) + " " + num_phase(f) + ")\" fill=\"none\">\n";
    if (o.separatrix) {
        std::string curve = separatrix_path(o.phase);
        if (!curve.empty()) {
            d += "<g id=\"separatrix\" stroke=\"" + colour(o.separatrix_colour) +
                 "\" stroke-width=\"1\" vector-effect=\"non-scaling-stroke\">\n<path class=\"separatrix\" fill=\"none\" vector-effect=\"non-scaling-stroke\" d=\"" +
                 curve + "\"/>\n";
            d += fixed_point_marks(o.phase, 4 / a, 4 / std::fabs(dy));
            d += "</g>\n";
        }
    }
    for (size_t i = 0; i < o.orbits.size(); i++) {
        // A dot per point: zero-length segments with round caps.
        d += "<path class=\"orbit\" fill=\"none\" stroke=\"" + colour(o.orbit_colours[i]) +
             "\" stroke-width=\"3\" stroke-linecap=\"round\" vector-effect=\"non-scaling-stroke\" d=\"";
        const std::vector<float>& p = o.orbits[i];
        for (size_t k = 0; k + 1 < p.size(); k += 2) d += "M" + num_phase(p[k]) + "," + num_phase(p[k + 1]) + "h0";
        d += "\"/>\n";
    }
    d += "</g></g>\n";
    if (l.bar.h > 0) {
        for (int row = 0; row < l.bar.h; row++)
            d += rect({l.bar.x, l.bar.y + row, l.bar.w, 1}, map_scale_colour(s.scale, figure_bar_passes(l, row + 0.5),
                                                                              s.maxit));
        d += rect(l.survived, 0);
        if (l.outside.w > 0) d += rect(l.outside, map_outside_colour);
    }
    d += "<g stroke=\"#000000\" stroke-width=\"1\" fill=\"none\">\n";
    for (const FigureLine& k : l.lines)
        d += "<line x1=\"" + num(k.x0) + "\" y1=\"" + num(k.y0) + "\" x2=\"" + num(k.x1) + "\" y2=\"" + num(k.y1) +
             "\"/>\n";
    // The layout gives each line's top; SVG places text by its baseline, about three quarters down the line.
    d += "</g>\n<g font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"" + num(line_height * 0.8) +
         "\" fill=\"#000000\">\n";
    static const char* const anchors[] = {"start", "middle", "end"};
    for (const FigureText& t : l.texts)
        d += "<text x=\"" + num(t.x) + "\" y=\"" + num(t.y + line_height * 0.75) + "\" text-anchor=\"" +
             anchors[t.anchor] + "\">" + xml_text(t.text) + "</text>\n";
    d += "</g>\n</svg>\n";
    return true;
}
