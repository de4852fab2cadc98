// The stability map, one fragment per pixel: the pixel is a starting point
// (phase x, momentum deviation xp) tracked through the accelerating cells;
// its colour says how many cells it survived, black for the whole run.
// Written for the shading language of OpenGL 2.0 (no version line).
#include "app/render/stability_shader.h"

const char* const stability_fragment_source =
    "uniform float d,phase,maxit;\n"
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
    "    xp=xp+d*(sin(x)-ssp);\n"
    "    x=x+d*xp;\n"
    "    i=i+1.0;\n"
    "  }\n"
    "  if(i>maxit) gl_FragColor=vec4(0.0,0.0,0.0,1.0);\n"
    "  else gl_FragColor=vec4(0.01*i,min(1.0,0.1*i)-0.0001*i,0.5*i,1.0);\n"
    "}\n";
