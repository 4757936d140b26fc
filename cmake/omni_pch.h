// Precompiled once and reused by every C++ target: first the string members' setting, which must come
// before any library header, then the system and library headers that every source pays for.
#include "cmake/string_instances.h"
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <memory>
#include <string>
#include <vector>
