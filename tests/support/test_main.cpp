// Entry point of every test program.
// GoogleTest copies each failure to OutputDebugStringA. Wine raises a debug-print exception for it,
// and under user-mode emulation that crashes the program, so one failed check would hide every
// later case. The program's import of OutputDebugStringA is pointed at a no-op before the run.
#include <windows.h>

#include <cstring>

#include <gtest/gtest.h>

namespace {

void WINAPI IgnoreDebugString(LPCSTR) {}

void SilenceDebugOutput() {
    auto base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return;
    for (auto imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
        if (_stricmp(reinterpret_cast<char*>(base + imp->Name), "kernel32.dll") != 0) continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), "OutputDebugStringA") != 0) continue;
            DWORD old = 0;
            if (VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old)) {
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(&IgnoreDebugString);
                VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    SilenceDebugOutput();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
