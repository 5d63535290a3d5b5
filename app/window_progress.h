#pragma once
// The start-up progress window as the item collection reports to it. A null window takes
// nothing.
#include "install/item.h"

#include <windows.h>

class CWindowProgress final : public IProgressWindow {
public:
    explicit CWindowProgress(HWND window) : window_(window) {}
    void Send(unsigned message, uintptr_t wparam, intptr_t lparam) override
    {
        if (window_) SendMessageA(window_, message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam));
    }
    void Repaint() override
    {
        if (window_) UpdateWindow(window_);
    }

private:
    HWND window_;
};
