// The type library that the module carries as resource "TYPELIB" 1, loaded once per process.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace omni::fw {

// Type information of guid (an interface or class of the module's library); out gets a reference.
HRESULT GetModuleTypeInfo(REFGUID guid, ITypeInfo** out);

}  // namespace omni::fw

namespace omni::fw {
// Lets go of the library when the module unloads.
void ReleaseModuleTypeLib();
}  // namespace omni::fw
