// Where Windows and Wine answer one call differently and a test can only run on Wine, the
// answer seen must be exactly one of the two documented ones: what Windows does, or what
// Wine does instead (as Wine's own conformance tests accept a `broken()` Windows answer).
// Anything else fails, and Wine's answer is never the only one accepted.
#pragma once

#include <gtest/gtest.h>

#include <sstream>

template <typename T>
::testing::AssertionResult WindowsOrWine(const T &seen, const T &windows, const T &wine) {
    if (seen == windows || seen == wine)
        return ::testing::AssertionSuccess();
    std::ostringstream out;
    out << "saw " << ::testing::PrintToString(seen) << "; Windows gives "
        << ::testing::PrintToString(windows) << ", Wine " << ::testing::PrintToString(wine);
    return ::testing::AssertionFailure() << out.str();
}
