#include "platform/fault_guard.h"

#include <windows.h>

#include <cstddef>

// RtlUnwind on x86 does not preserve ebx, esi and edi; call it through a wrapper that does.
//   void qv_rtl_unwind(void* target_frame, EXCEPTION_RECORD* record)
asm(".text\n"
    ".globl _qv_rtl_unwind\n"
    ".def _qv_rtl_unwind; .scl 2; .type 32; .endef\n"
    "_qv_rtl_unwind:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  pushl $0\n"         // return value
    "  pushl 12(%ebp)\n"   // exception record
    "  pushl $0\n"         // target ip: unused on x86, RtlUnwind returns to its caller
    "  pushl 8(%ebp)\n"    // target frame
    "  call _RtlUnwind@16\n"
    "  leal -12(%ebp), %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");
extern "C" void qv_rtl_unwind(void* target_frame, EXCEPTION_RECORD* record);

namespace fault_guard {
namespace {

// One active guard, on the stack of the thread that entered it. The registration record is
// linked into the thread's SEH chain, so the system offers it each fault after every handler
// registered by the code the guard runs (inner guards included) has declined, exactly as an
// enclosing __except would.
struct Frame {
    EXCEPTION_REGISTRATION_RECORD record;  // first: the handler finds the frame from it
    void* jump[5];                         // __builtin_setjmp buffer
    unsigned long code;
};
static_assert(offsetof(Frame, record) == 0, "record first");

// The head of the thread's SEH chain is the first word of its TIB, at fs:[0].
void* SehHead()
{
    void* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}
void SetSehHead(void* head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

EXCEPTION_DISPOSITION __cdecl Handler(EXCEPTION_RECORD* rec, void* establisher, CONTEXT*, void*)
{
    if (rec->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    // After an overflow the thread has no guard page left to survive the next one.
    if (rec->ExceptionCode == EXCEPTION_STACK_OVERFLOW) return ExceptionContinueSearch;

    Frame* frame = static_cast<Frame*>(establisher);
    frame->code = rec->ExceptionCode;
    // Let the handlers of the frames being abandoned clean up (their __finally blocks), as
    // the system does for __except; this leaves our record at the head of the chain.
    qv_rtl_unwind(establisher, rec);
    __builtin_longjmp(frame->jump, 1);
}

}  // namespace

namespace detail {

// Not inlined: __builtin_setjmp and the jump back must stay in a frame of their own.
__attribute__((noinline)) bool Run(bool (*fn)(void*), void* ctx, unsigned long* code)
{
    Frame frame;
    frame.record.Next = static_cast<EXCEPTION_REGISTRATION_RECORD*>(SehHead());
    frame.record.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&Handler);
    frame.code = 0;

    Frame* volatile self = &frame;
    if (__builtin_setjmp(frame.jump) == 0) {
        SetSehHead(&self->record);
        const bool ok = fn(ctx);
        SetSehHead(self->record.Next);
        *code = 0;
        return ok;
    }
    // Back from a fault: unlink this guard.
    SetSehHead(self->record.Next);
    *code = self->code;
    return false;
}

}  // namespace detail
}  // namespace fault_guard
