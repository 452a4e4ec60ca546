#include <gtest/gtest.h>

#include "outside/kestrin32/tests/session.h"

using kestrin::test::Session;

TEST(Smoke, PrintsAndEnds) {
    Session s;
    EXPECT_EQ(s.output("PRINT \"Hallo\"; 1 + 2\r\nPRINT -5"), "Hallo3\r\n-5\r\n");
}
