#include "tests/support/import_replacement.h"

#include <cstring>

namespace omni::test {

namespace {

void Write(ULONG_PTR* slot, ULONG_PTR value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old)) return;
    *slot = value;
    VirtualProtect(slot, sizeof(*slot), old, &old);
}

}  // namespace

ImportReplacement::ImportReplacement(const char* dll, const char* function, const void* replacement) {
    auto base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return;
    for (auto imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
        if (_stricmp(reinterpret_cast<char*>(base + imp->Name), dll) != 0) continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) != 0) continue;
            auto slot = reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
            original_ = reinterpret_cast<const void*>(*slot);
            Write(slot, reinterpret_cast<ULONG_PTR>(replacement));
            slots_.push_back(slot);
        }
    }
}

ImportReplacement::~ImportReplacement() {
    for (ULONG_PTR* slot : slots_) Write(slot, reinterpret_cast<ULONG_PTR>(original_));
}

}  // namespace omni::test
