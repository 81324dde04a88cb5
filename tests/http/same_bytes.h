// Compares bytes that may run to MiBs without asking the test framework for a line diff of them,
// which takes memory by the square of their lines.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

inline testing::AssertionResult SameBytes(const std::string& got, const std::string& expected) {
  if (got == expected) return testing::AssertionSuccess();
  const auto differ = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin();
  return testing::AssertionFailure() << got.size() << " bytes, expected " << expected.size()
                                     << "; they differ from byte " << differ;
}
