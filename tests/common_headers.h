// The headers every test program starts with, precompiled once for all of them. Loading
// the whole of <windows.h> was still a second of every test's compile: the parts the tests
// use are named here instead.
#pragma once
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>
