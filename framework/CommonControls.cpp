#include "framework/CommonControls.h"

#include <commctrl.h>

namespace {

typedef BOOL(WINAPI* InitCommonControlsExProc)(const INITCOMMONCONTROLSEX*);

}  // namespace

void loadCommonControls(DWORD classes) {
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    if (!controls) controls = LoadLibraryW(L"comctl32.dll");
    FARPROC proc = controls ? GetProcAddress(controls, "InitCommonControlsEx") : nullptr;
    if (!proc) return;
    INITCOMMONCONTROLSEX wanted = {sizeof wanted, classes};
    reinterpret_cast<InitCommonControlsExProc>(reinterpret_cast<void (*)()>(proc))(&wanted);
}
