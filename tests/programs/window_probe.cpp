// A framework program driven line by line over standard input, so that the
// end-to-end tests can open real windows, pump real input and report the
// state, natively and under Wine alike. Each command answers one line.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/platform/entry.h"
#include "framework/platform/gl.h"
#include "framework/shader/shader.h"
#include "framework/window/error_log.h"
#include "framework/window/graphics.h"

static void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
static void say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    putchar('\n');
    fflush(stdout);
}

static void report_state(int r) {
    const GraphicsState& g = graphics;
    say("state r=%d mx=%d my=%d buttons=%d before=%d raw=%d latch=%d w=%d h=%d quit=%d typed=%d minp=%d", r,
        g.mouse_x, g.mouse_y, g.buttons, g.buttons_before, g.buttons_raw, g.button_latch, g.width, g.height, g.quit,
        (int)strlen(g.typed), g.minimise_pending ? 1 : 0);
}

int app_main(const char*) {
    char line[4096];
    say("ready");
    while (fgets(line, sizeof line, stdin)) {
        line[strcspn(line, "\r\n")] = 0;
        char cmd[64] = {};
        sscanf(line, "%63s", cmd);
        const char* rest = line + strlen(cmd);
        while (*rest == ' ') rest++;
        std::string c = cmd;
        if (c == "open") {  // open <windowed> <w> <h> [title]
            int windowed = 0, w = 0, h = 0, n = 0;
            sscanf(rest, "%d %d %d %n", &windowed, &w, &h, &n);
            graphics.windowed = windowed != 0;
            int r = open_graphics(w, h, rest + n);
            say("opened r=%d w=%d h=%d", r, graphics.width, graphics.height);
        } else if (c == "pump") {
            report_state(pump_messages());
        } else if (c == "state") {
            report_state(-1);
        } else if (c == "key") {  // key <vk in hex>
            unsigned vk = (unsigned)strtoul(rest, nullptr, 16) & 0xFF;
            say("key now=%d before=%d", graphics.keys[vk], graphics.keys_before[vk]);
        } else if (c == "next") {
            say("next %d", next_typed_char());
        } else if (c == "frame") {  // frame <0xRRGGBB>
            end_frame((uint32_t)strtoul(rest, nullptr, 16));
            float cc[4];
            glGetFloatv(GL_COLOR_CLEAR_VALUE, cc);
            say("frame clear=%.5f,%.5f,%.5f", cc[0], cc[1], cc[2]);
        } else if (c == "pixel") {  // pixel <x> <y>, window pixels, y down, front buffer
            int x = 0, y = 0;
            sscanf(rest, "%d %d", &x, &y);
            unsigned char p[4] = {};
            glReadBuffer(GL_FRONT);
            glReadPixels(x, graphics.height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
            glReadBuffer(GL_BACK);
            say("pixel %02x%02x%02x", p[0], p[1], p[2]);
        } else if (c == "version") {
            say("version %s", (const char*)glGetString(GL_VERSION));
        } else if (c == "shaders") {
            say("shaders %d", shaders_available());
        } else if (c == "loadgl2") {
            load_gl2_functions();
            say("loaded %d", graphics.gl2_loaded ? 1 : 0);
        } else if (c == "fatal") {
            fatal_error(rest);
        } else if (c == "log") {
            log_error(rest);
            say("logged");
        } else if (c == "postquit") {
            plat_post_quit_message(0);
            say("posted");
        } else if (c == "close") {
            close_graphics();
            say("closed");
        } else if (c == "exit") {
            say("bye");
            return 0;
        } else {
            say("unknown %s", cmd);
        }
    }
    return 0;
}
