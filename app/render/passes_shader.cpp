// The map's own program up to its colouring, so that the loop is the same
// text; then the count written out exactly: a float holds every count up to
// 2^24 and each byte is a whole k / 255, which the pipeline stores as k.
#include "app/render/passes_shader.h"

#include "app/render/stability_shader.h"

std::string passes_fragment_source() {
    std::string s = stability_fragment_source;
    return s.substr(0, s.find("  if(i>maxit)")) +
           "  float hi=floor(i/65536.0);\n"
           "  float mid=floor((i-hi*65536.0)/256.0);\n"
           "  gl_FragColor=vec4(hi,mid,i-hi*65536.0-mid*256.0,255.0)/255.0;\n"
           "}\n";
}

double passes_at(const unsigned char* rgb) { return rgb[0] * 65536.0 + rgb[1] * 256.0 + rgb[2]; }
