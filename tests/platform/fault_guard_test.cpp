#include "platform/fault_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

using fault_guard::GuardedCall;

namespace {

HMODULE FaultDll()
{
    static HMODULE dll = [] {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dir(path);
        dir.resize(dir.find_last_of('\\') + 1);
        return LoadLibraryA((dir + "fault_dll.dll").c_str());
    }();
    return dll;
}

template <class T>
T Entry(const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(FaultDll(), name)));
}

using VoidFn = void(__cdecl*)();
using IntFn = int(__cdecl*)();
using DivFn = int(__cdecl*)(int);
using CallBackFn = int(__cdecl*)(int(__cdecl*)(int), int);

TEST(FaultGuard, NormalCallRunsAndReturnsTrue)
{
    int seen = 0;
    unsigned long code = 123;
    EXPECT_TRUE(GuardedCall([&] { seen = 42; }, code));
    EXPECT_EQ(seen, 42);
    EXPECT_EQ(code, 0u);
}

TEST(FaultGuard, FaultsInALibraryBecomeFalse)
{
    ASSERT_NE(FaultDll(), nullptr);
    struct Case {
        const char* name;
        unsigned long code;
        void (*call)();
    };
    const Case cases[] = {
        {"ReadNull", EXCEPTION_ACCESS_VIOLATION, [] { Entry<IntFn>("ReadNull")(); }},
        {"WriteNull", EXCEPTION_ACCESS_VIOLATION, [] { Entry<VoidFn>("WriteNull")(); }},
        {"DivideByZero", EXCEPTION_INT_DIVIDE_BY_ZERO, [] { Entry<DivFn>("DivideByZero")(0); }},
        {"IllegalInstruction", EXCEPTION_ILLEGAL_INSTRUCTION,
         [] { Entry<VoidFn>("IllegalInstruction")(); }},
        {"RaiseSoftware", 0xE0001234UL, [] { Entry<VoidFn>("RaiseSoftware")(); }},
    };
    // Twice: a guard is good for any number of faults.
    for (int round = 0; round < 2; ++round)
        for (const Case& c : cases) {
            ASSERT_NE(GetProcAddress(FaultDll(), c.name), nullptr) << c.name;
            unsigned long code = 0;
            bool after = false;
            EXPECT_FALSE(GuardedCall([&] { c.call(); after = true; }, code)) << c.name;
            EXPECT_FALSE(after) << c.name;
            EXPECT_EQ(code, c.code) << c.name;
        }
    // The thread's SEH chain is whole again: a fault the system handles itself still works.
    EXPECT_EQ(Entry<IntFn>("HandledFault")(), 1);
}

TEST(FaultGuard, FaultHandledInsideTheCallIsNotTaken)
{
    int result = -1;
    EXPECT_TRUE(GuardedCall([&] { result = Entry<IntFn>("HandledFault")(); }));
    EXPECT_EQ(result, 1);
}

TEST(FaultGuard, CppExceptionBecomesFalse)
{
    unsigned long code = 0;
    EXPECT_FALSE(GuardedCall([] { throw std::runtime_error("x"); }, code));
    EXPECT_EQ(code, fault_guard::kCppException);
    EXPECT_FALSE(GuardedCall([] { throw 5; }));
}

TEST(FaultGuard, NestedGuardsEachCatchTheirOwn)
{
    // Inner fault: only the inner guard reports it; the outer call goes on.
    bool inner = true, outer_went_on = false;
    EXPECT_TRUE(GuardedCall([&] {
        inner = GuardedCall([] { Entry<IntFn>("ReadNull")(); });
        outer_went_on = true;
    }));
    EXPECT_FALSE(inner);
    EXPECT_TRUE(outer_went_on);

    // Fault in the outer call after a clean inner one: the outer guard reports it.
    bool inner_ok = false;
    EXPECT_FALSE(GuardedCall([&] {
        inner_ok = GuardedCall([] {});
        Entry<VoidFn>("WriteNull")();
    }));
    EXPECT_TRUE(inner_ok);

    // A guard inside a callback that the library makes: the library's frame survives the
    // inner fault and returns normally.
    static bool cb_guard = true;
    int result = 0;
    EXPECT_TRUE(GuardedCall([&] {
        result = Entry<CallBackFn>("CallBack")(
            [](int arg) -> int {
                cb_guard = GuardedCall([] { Entry<DivFn>("DivideByZero")(0); });
                return arg * 2;
            },
            20);
    }));
    EXPECT_FALSE(cb_guard);
    EXPECT_EQ(result, 41);

    // A fault in the callback with no guard of its own goes to the outer guard.
    EXPECT_FALSE(GuardedCall([] {
        Entry<CallBackFn>("CallBack")([](int) -> int { return Entry<IntFn>("ReadNull")(); }, 0);
    }));
}

TEST(FaultGuard, GuardsOfOtherThreadsAreSeparate)
{
    bool worker_result = true;
    std::thread worker([&] { worker_result = GuardedCall([] { Entry<IntFn>("ReadNull")(); }); });
    worker.join();
    EXPECT_FALSE(worker_result);
    // This thread, inside a guard of its own, is not disturbed by the other's fault.
    bool mine = false;
    EXPECT_TRUE(GuardedCall([&] {
        std::thread t([] { GuardedCall([] { Entry<VoidFn>("WriteNull")(); }); });
        t.join();
        mine = true;
    }));
    EXPECT_TRUE(mine);
}

}  // namespace
