#pragma once
// The installer's main window. This first cut registers the window class that marks the
// running instance, answers a second instance's activation request and hosts the start
// message; pages and command handling attach to it.
#include "config/log_sink.h"

#include <windows.h>

#include <functional>
#include <string>

class CWizard {
public:
    enum CreateResult { kCreateFailed = 0, kOtherInstance = 1, kCreated = 2 };

    explicit CWizard(ILogSink& log) : log_(log) {}
    CWizard(const CWizard&) = delete;
    CWizard& operator=(const CWizard&) = delete;
    virtual ~CWizard();

    // Registers "%s Installer Program" and creates the window with that class.
    int Create(const std::string& program_name);
    HWND Window() const { return hwnd_; }
    const std::string& ClassName() const { return class_name_; }
    static std::string ClassNameFor(const std::string& program_name) { return program_name + " Installer Program"; }

    // Called for WM_USER_START (wparam 1: start-up succeeded).
    std::function<void(bool ok)> on_start;

    void IgnoreClose() { close_ignored_ = true; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam);
    void BringToFront();

    ILogSink& log_;
    std::string class_name_;
    HWND hwnd_ = nullptr;
    bool class_registered_ = false;
    bool close_ignored_ = false;
};
