#include "dialogs/PickedWindow.h"

#include "framework/UiLanguage.h"
#include "settings/TargetFile.h"
#include "sweep/ProgramImage.h"

void describePickedWindow(HWND window, PickedWindow& out) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    ProgramImage image;
    readProgramImage(processId, image);
    lstrcpynW(out.exeName, image.known ? fileNameOf(image.path) : L"", PICKED_PATH_SIZE);
    const WORD language = japaneseFace() ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                         : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    programLabelOf(image, language, out.name, OTHER_NAME_SIZE);
    // Another program's description may hold line breaks: a value is one line of target.ini.
    removeControlCharacters(out.name);
    if (!GetClassNameW(window, out.className, PICKED_CLASS_SIZE)) out.className[0] = 0;
    // The system's copy of the title: asks nothing of a program that may not answer.
    if (!GetWindowTextW(window, out.title, OTHER_TEXT_SIZE)) out.title[0] = 0;
    // A value is one line of target.ini.
    for (wchar_t* c = out.title; *c; ++c)
        if (*c == L'\r' || *c == L'\n') *c = 0;
}
