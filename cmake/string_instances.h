// Included before every C++ source, first in the precompiled header (cmake/omni_pch.h): each module
// instantiates only the string members it uses.
// The runtime's prebuilt string instances are otherwise linked whole, about 35 KB per character
// type, once any member is referenced; the linker cannot leave out the unused ones.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
