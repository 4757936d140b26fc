#include "hosting/fault_shield.h"

namespace omni {

#if defined(__i386__)

namespace {

struct ShieldFrame {
    EXCEPTION_REGISTRATION_RECORD record;  // first member: the system hands its address to the handler
    void* resume[5];                       // __builtin_setjmp buffer
};

// The head of the thread's exception-registration chain lives at fs:0.
EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(EXCEPTION_REGISTRATION_RECORD* head) { __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

EXCEPTION_DISPOSITION NTAPI ShieldHandler(EXCEPTION_RECORD* exception, PVOID establisher, CONTEXT*, PVOID) {
    if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    auto* frame = static_cast<ShieldFrame*>(establisher);
    // Lets the control's own frames above ours clean up, and leaves our record on top of the chain.
    RtlUnwind(establisher, nullptr, exception, nullptr);
    __builtin_longjmp(frame->resume, 1);
}

EXCEPTION_DISPOSITION NTAPI EndProcessHandler(EXCEPTION_RECORD* exception, PVOID, CONTEXT* context, PVOID) {
    if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    EXCEPTION_POINTERS pointers = {exception, context};
    // A debugger that wants the second chance gets it; otherwise the process ends here, at the fault.
    if (UnhandledExceptionFilter(&pointers) == EXCEPTION_CONTINUE_SEARCH) return ExceptionContinueSearch;
    TerminateProcess(GetCurrentProcess(), exception->ExceptionCode);
    return ExceptionContinueSearch;
}

}  // namespace

__attribute__((noinline)) bool EndProcessOnFault(ShieldedCall call, void* context) {
    EXCEPTION_REGISTRATION_RECORD record;
    record.Handler = EndProcessHandler;
    record.Next = ChainHead();
    SetChainHead(&record);
    call(context);
    SetChainHead(record.Next);
    return true;
}

__attribute__((noinline)) bool CallShielded(ShieldedCall call, void* context) {
    ShieldFrame frame;
    frame.record.Handler = ShieldHandler;
    frame.record.Next = ChainHead();
    if (__builtin_setjmp(frame.resume) != 0) {
        SetChainHead(frame.record.Next);
        return false;
    }
    SetChainHead(&frame.record);
    call(context);
    SetChainHead(frame.record.Next);
    return true;
}

#else

// Other targets use table-based unwinding; the control's faults are not intercepted there, and an
// unhandled fault ends the process as the system has it.
bool CallShielded(ShieldedCall call, void* context) {
    call(context);
    return true;
}

bool EndProcessOnFault(ShieldedCall call, void* context) {
    call(context);
    return true;
}

#endif

}  // namespace omni
