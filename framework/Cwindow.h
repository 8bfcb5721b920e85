#pragma once

#include "framework/Ceditwindow.h"

// A window bound to its object through GWL_USERDATA: the class procedure hands every message
// from WM_CREATE on to the object's windowProc. Keeps an optional white back buffer.
class Cwindow : public Ceditwindow {
public:
    Cwindow();
    ~Cwindow();

    // 0 on success, -1 on failure. classInfo, when given, is registered with the framework's
    // procedure; style 0 means CS_HREDRAW | CS_VREDRAW.
    virtual int registerClass(HINSTANCE instance, const char* className, const char* menuName,
                              WNDCLASSEXA* classInfo, UINT style);
    // Always 0; the new handle (null on failure) is in getHwnd().
    virtual int create(HINSTANCE instance, HWND parent, const char* title, DWORD style,
                       DWORD exStyle);
    virtual LRESULT windowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Returns the exit code carried by WM_QUIT.
    virtual int messageLoop();

    void destroyWindow();
    int createBackBuffer(int width, int height);
    int createBackBufferForWindow();
    void freeBackBuffer();
    HDC backBufferDC() const { return bufferDC; }
    void paintBackBuffer();
    void blitBackBuffer();
    HDC getDC();
    int releaseDC(HDC dc);

    static LRESULT CALLBACK staticWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    char className[256];
    HDC bufferDC;
    HBITMAP bufferBitmap;
    int bufferWidth;
    int bufferHeight;
};
