#include <windows.h>
#include <objbase.h>

#include "shell/C_Application.h"

// One apartment for the program's one thread, for as long as it runs: the shell's verbs and the
// virtual-desktop manager that sweeps ask are COM objects, and each would otherwise set up and
// tear down an apartment of its own at every use.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    C_Application application;
    int code = application.run(instance);
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
