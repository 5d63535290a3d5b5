// Entries that fault on purpose, for the fault guard's tests.
#include <windows.h>

extern "C" {

__declspec(noinline) int __cdecl ReadNull()
{
    volatile int* p = nullptr;
    return *p;
}

__declspec(noinline) void __cdecl WriteNull()
{
    volatile int* p = nullptr;
    *p = 1;
}

__declspec(noinline) int __cdecl DivideByZero(int d)
{
    volatile int n = 10;
    return n / d;
}

__declspec(noinline) void __cdecl IllegalInstruction() { __builtin_trap(); }

void __cdecl RaiseSoftware() { RaiseException(0xE0001234, 0, 0, nullptr); }

// A fault the library handles itself (the system's own pointer probe): the guard must not
// take it.
int __cdecl HandledFault() { return IsBadReadPtr(nullptr, 4) ? 1 : 0; }

// Calls back into the caller, so that a guard can sit on both sides of this frame.
int __cdecl CallBack(int (__cdecl* cb)(int), int arg) { return cb(arg) + 1; }
}
