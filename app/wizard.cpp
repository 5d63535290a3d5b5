#include "app/wizard.h"

#include "app/messages.h"

CWizard::~CWizard()
{
    if (hwnd_) DestroyWindow(hwnd_);
    if (class_registered_) UnregisterClassA(class_name_.c_str(), GetModuleHandleA(nullptr));
}

int CWizard::Create(const std::string& program_name)
{
    class_name_ = ClassNameFor(program_name);
    if (HWND other = FindWindowA(class_name_.c_str(), nullptr)) {
        SendMessageA(other, WM_USER_ACTIVATE, 0, 0);
        return kOtherInstance;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(128));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name_.c_str();
    if (!RegisterClassExA(&wc)) {
        log_.Write("Register class fail\n");
        return kCreateFailed;
    }
    class_registered_ = true;
    hwnd_ = CreateWindowExA(WS_EX_APPWINDOW, class_name_.c_str(), program_name.c_str(), WS_CAPTION | WS_SYSMENU,
                            CW_USEDEFAULT, CW_USEDEFAULT, 500, 360, nullptr, nullptr, instance, this);
    if (!hwnd_) {
        log_.Write("Create window fail [%s] [%s]\n", class_name_.c_str(), class_name_.c_str());
        return kCreateFailed;
    }
    return kCreated;
}

void CWizard::BringToFront()
{
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd_);
}

LRESULT CALLBACK CWizard::WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lparam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        static_cast<CWizard*>(cs->lpCreateParams)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<CWizard*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wparam, lparam);
    return self->OnMessage(msg, wparam, lparam);
}

LRESULT CWizard::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_USER_ACTIVATE:
        BringToFront();
        return 0;
    case WM_USER_START:
        if (on_start) on_start(wparam == 1);
        return 0;
    case WM_CLOSE:
        // The window is never closed directly: a cancel request goes through the commands.
        if (!close_ignored_) PostMessageA(hwnd_, WM_USER_CANCEL, 0, 0);
        return 0;
    case WM_NCDESTROY: {
        HWND hwnd = hwnd_;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
    default:
        return DefWindowProcA(hwnd_, msg, wparam, lparam);
    }
}
