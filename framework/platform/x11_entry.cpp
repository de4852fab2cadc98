// Linux entry point: the counterpart of WinMain.
#include "framework/platform/entry.h"
#include "framework/window/graphics.h"

int main() {
    graphics.instance = plat_module_handle();
    app_main(plat_command_line());
    return 0;
}
