#pragma once
// Runs a piece of code so that a fault inside it (access violation, illegal instruction,
// integer divide by zero, any system exception the code does not handle itself) or a C++
// exception escaping it becomes a false result instead of the end of the process. Used around every call into the maker's
// libraries and around the item operations that must never take the installer down.
//
// GCC for i686 has no __try/__except. Each guard links a registration record of its own into
// the thread's SEH chain and keeps a jump buffer beside it: a fault that no handler of the
// guarded code takes reaches the innermost guard, which unwinds the abandoned SEH frames and
// jumps back to its start. Guards nest, per thread, through that chain.
//
// Limitation: frames of GCC-built code between the guard and the fault are abandoned, not
// unwound (only SEH __finally handlers run). Their destructors do not run and what they held
// (locks, heap blocks, handles) stays held. That is acceptable for a call into a faulting
// foreign library, the case this exists for; code inside a guard should not hold resources of
// its own across a call that may fault. A stack overflow is not caught (the thread has no
// guard page left after one). A C++ exception thrown inside another module (a DLL with its
// own static runtime) cannot cross into this one: such entries must not throw.
#include <cstdint>
#include <exception>
#include <utility>

namespace fault_guard {

// Exception code reported for a C++ exception that escaped the guarded code.
constexpr unsigned long kCppException = 0xE06D7363UL;

namespace detail {
// Runs fn(ctx) under a guard of the calling thread. Returns true when it returned normally;
// false after a fault, with the exception code in *code.
bool Run(bool (*fn)(void*), void* ctx, unsigned long* code);
}  // namespace detail

// True when f returned normally; false when a hardware fault occurred inside it or an
// exception escaped it. code receives the exception code (0 on success).
template <class F>
bool GuardedCall(F&& f, unsigned long& code)
{
    struct Ctx {
        F* f;
    } ctx{&f};
    auto thunk = [](void* p) -> bool {
        try {
            (*static_cast<Ctx*>(p)->f)();
            return true;
        } catch (...) {
            return false;
        }
    };
    code = 0;
    const bool normal = detail::Run(+thunk, &ctx, &code);
    if (normal) return true;
    if (code == 0) code = kCppException;  // thunk reported an exception
    return false;
}

template <class F>
bool GuardedCall(F&& f)
{
    unsigned long code;
    return GuardedCall(std::forward<F>(f), code);
}

}  // namespace fault_guard
