#pragma once

#include "framework/Cwindow.h"

class C_Application;

// The hidden resident window: receives the tray callbacks, hotkeys, menu commands and the
// second start's request, and hands them to the application.
class C_DammyWindow : public Cwindow {
public:
    void setApplication(C_Application& app) { application = &app; }
    LRESULT windowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT onCommand(WORD command, UINT msg, WPARAM wParam, LPARAM lParam);

    C_Application* application = nullptr;
};
