// The owner for Windows Installer handles (a database, a view, a record, summary information).
#pragma once

#include <windows.h>
#include <msi.h>

#include "platform/unique_any.h"

namespace omni {

namespace detail {
inline void CloseMsiHandle(MSIHANDLE handle) { MsiCloseHandle(handle); }
}  // namespace detail

using unique_msi_handle = unique_any<MSIHANDLE, detail::CloseMsiHandle>;

}  // namespace omni
