#include <windows.h>

#include "shell/C_Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    C_Application application;
    return application.run(instance);
}
