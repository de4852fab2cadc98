// Windows entry point: records the module instance and runs app_main.
#include <windows.h>

#include "framework/platform/entry.h"
#include "framework/window/graphics.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    graphics.instance = instance;
    app_main(GetCommandLineA());
    return 0;
}
