#pragma once
// The item operations' guard: a fault or exception inside the body becomes the operation's
// failure value after one log line. Windows tree only (platform/fault_guard).
#include "platform/fault_guard.h"

namespace item_guard {

template <class R, class F, class L>
R Run(R fail, F&& body, L&& on_fault)
{
    R result = fail;
    if (fault_guard::GuardedCall([&] { result = body(); })) return result;
    on_fault();
    return fail;
}

template <class F, class L>
void RunVoid(F&& body, L&& on_fault)
{
    if (!fault_guard::GuardedCall([&] { body(); })) on_fault();
}

}  // namespace item_guard
