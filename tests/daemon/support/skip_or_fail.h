#pragma once
// A testbed that cannot be built skips the test only when the machine lacks what it needs
// (root, a program, namespaces: reasons starting with "needs"); any other reason is a
// failure, so a broken testbed never passes as a skip.
#include <gtest/gtest.h>

#define CORVANE_SKIP_OR_FAIL(why)                        \
  do {                                                   \
    if ((why).rfind("needs", 0) == 0) GTEST_SKIP() << (why); \
    FAIL() << (why);                                     \
  } while (0)
