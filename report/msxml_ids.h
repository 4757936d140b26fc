// MSXML identifiers that the mingw import libraries lack; defined once, here.
#pragma once

#include <windows.h>

namespace omni {

// The MSXML DOM document class that the report is built on (and that the retrieve flow tests for).
extern const CLSID kClsidDomDocument;
extern const IID kIidXmlDomDocument2;

}  // namespace omni
