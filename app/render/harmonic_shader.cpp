// The stability map with a second RF harmonic: the single-RF program (see
// stability_shader.cpp) whose cell adds ratio sin(harmonic x + hphase) to the
// voltage. A program of its own, used only while the ratio is not 0, so that
// the single-RF program and its pixels stay exactly as they are.
#include "app/render/harmonic_shader.h"

const char* const harmonic_fragment_source =
    "uniform float d,phase,maxit,ratio,harmonic,hphase;\n"
    "void main()\n"
    "{\n"
    "  float pi=3.14159265358979323846264;\n"
    "  float x=gl_TexCoord[0].s*pi*2.0;\n"
    "  float xp=gl_TexCoord[0].t*6.0-3.0;\n"
    "  float sp=0.5*pi+phase;\n"
    "  float ssp=sin(sp);\n"
    "  float i=0.0;\n"
    "  while(i<=maxit && x>=0.0 && x<=pi*2.0)\n"
    "  {\n"
    "    xp=xp+d*(sin(x)+ratio*sin(harmonic*x+hphase)-ssp);\n"
    "    x=x+d*xp;\n"
    "    i=i+1.0;\n"
    "  }\n"
    "  if(i>maxit) gl_FragColor=vec4(0.0,0.0,0.0,1.0);\n"
    "  else gl_FragColor=vec4(0.01*i,min(1.0,0.1*i)-0.0001*i,0.5*i,1.0);\n"
    "}\n";
