#pragma once
// Owners for Win32 handles: one move-only template and one line per handle type, so that
// every path releases by scope.
#include <winsock2.h>  // before windows.h
#include <windows.h>
#include <setupapi.h>
#include <winspool.h>
// winspool.h maps SetPort to SetPortA; the installer has its own SetPort operations and never
// calls the spooler's.
#undef SetPort

#include <cstdint>
#include <utility>

// Invalid values as types: a pointer template argument cannot be INVALID_HANDLE_VALUE.
template <typename T>
struct null_invalid { static T value() { return T(); } };
template <typename T>
struct minus_one_invalid { static T value() { return (T)(intptr_t)-1; } };

template <typename T, typename Close, typename Invalid = null_invalid<T>>
class unique_any {
public:
    unique_any() = default;
    explicit unique_any(T value) : value_(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid::value(); }
    T release()
    {
        T v = value_;
        value_ = Invalid::value();
        return v;
    }
    void reset(T value = Invalid::value())
    {
        if (value_ != Invalid::value()) Close()(value_);
        value_ = value;
    }
    // For out-parameters: releases what is held and hands out the slot.
    T* put()
    {
        reset();
        return &value_;
    }

private:
    T value_ = Invalid::value();
};

namespace handle_close {
struct Handle { void operator()(HANDLE h) const { ::CloseHandle(h); } };
struct Key { void operator()(HKEY h) const { ::RegCloseKey(h); } };
struct Printer { void operator()(HANDLE h) const { ::ClosePrinter(h); } };
struct Inf { void operator()(HINF h) const { ::SetupCloseInfFile(h); } };
struct Module { void operator()(HMODULE h) const { ::FreeLibrary(h); } };
struct Socket { void operator()(SOCKET s) const { ::closesocket(s); } };
struct GdiObject { void operator()(HGDIOBJ h) const { ::DeleteObject(h); } };
struct MemDc { void operator()(HDC h) const { ::DeleteDC(h); } };
struct Window { void operator()(HWND h) const { ::DestroyWindow(h); } };
struct Global { void operator()(HGLOBAL h) const { ::GlobalFree(h); } };
struct Local { void operator()(HLOCAL h) const { ::LocalFree(h); } };
struct FindFile { void operator()(HANDLE h) const { ::FindClose(h); } };
}  // namespace handle_close

using unique_handle = unique_any<HANDLE, handle_close::Handle>;  // NULL-invalid kinds
using unique_hfile = unique_any<HANDLE, handle_close::Handle, minus_one_invalid<HANDLE>>;
using unique_hkey = unique_any<HKEY, handle_close::Key>;
using unique_printer = unique_any<HANDLE, handle_close::Printer>;
using unique_hinf = unique_any<HINF, handle_close::Inf, minus_one_invalid<HINF>>;
using unique_hmodule = unique_any<HMODULE, handle_close::Module>;
using unique_socket = unique_any<SOCKET, handle_close::Socket, minus_one_invalid<SOCKET>>;
using unique_gdiobj = unique_any<HGDIOBJ, handle_close::GdiObject>;
using unique_memdc = unique_any<HDC, handle_close::MemDc>;
using unique_hwnd = unique_any<HWND, handle_close::Window>;
using unique_hglobal = unique_any<HGLOBAL, handle_close::Global>;
using unique_hlocal = unique_any<HLOCAL, handle_close::Local>;
using unique_findfile = unique_any<HANDLE, handle_close::FindFile, minus_one_invalid<HANDLE>>;

// A window DC from GetDC, released to its window.
class unique_window_dc {
public:
    unique_window_dc(HWND window, HDC dc) : window_(window), dc_(dc) {}
    unique_window_dc(const unique_window_dc&) = delete;
    unique_window_dc& operator=(const unique_window_dc&) = delete;
    ~unique_window_dc()
    {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Runs a step's undo on scope exit unless release() says the step completed.
template <typename F>
class scope_exit_t {
public:
    explicit scope_exit_t(F f) : f_(std::move(f)) {}
    scope_exit_t(scope_exit_t&& other) noexcept : f_(std::move(other.f_)), armed_(other.armed_) { other.armed_ = false; }
    scope_exit_t(const scope_exit_t&) = delete;
    scope_exit_t& operator=(const scope_exit_t&) = delete;
    ~scope_exit_t()
    {
        if (armed_) f_();
    }
    void release() { armed_ = false; }

private:
    F f_;
    bool armed_ = true;
};

template <typename F>
scope_exit_t<F> scope_exit(F f)
{
    return scope_exit_t<F>(std::move(f));
}
