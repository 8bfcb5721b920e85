#pragma once

#include "framework/Cwindow.h"

class C_Application;

// The hidden resident window: receives the tray callbacks, hotkeys, menu commands and the
// second start's request, and hands them to the application.
class C_DammyWindow : public Cwindow {
public:
    void setApplication(C_Application& app) { application = &app; }
    LRESULT windowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Posts again, in their order, the requests that came during a sweep; nothing while one
    // runs.
    void releaseHeld();

private:
    LRESULT onCommand(WORD command, UINT msg, WPARAM wParam, LPARAM lParam);
    bool holdDuringSweep(UINT msg, WPARAM wParam, LPARAM lParam);

    struct HeldMessage {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    enum { HELD_CAPACITY = 16 };

    C_Application* application = nullptr;
    HeldMessage held[HELD_CAPACITY] = {};
    int heldCount = 0;
};
