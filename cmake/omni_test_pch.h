// The test programs' precompiled header: the project's own, then GoogleTest, which every test source
// includes and which costs more to parse than the code under test.
#include "cmake/omni_pch.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <shlobj.h>
