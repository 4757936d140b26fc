#include "framework/module_lock.h"

#include <windows.h>

namespace omni::fw {

namespace {
LONG locks = 0;
}  // namespace

void LockModule() { InterlockedIncrement(&locks); }
void UnlockModule() { InterlockedDecrement(&locks); }
bool ModuleCanUnload() { return InterlockedCompareExchange(&locks, 0, 0) == 0; }

}  // namespace omni::fw
