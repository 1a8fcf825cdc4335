// Entry point of every test program. Results that depend on the locale, the time zone or a
// display must not depend on the machine, so the test process (and every program it starts)
// runs with a fixed locale and zone and without a display, however the tests are started.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  ::setenv("LC_ALL", "C.UTF-8", 1);
  ::setenv("TZ", "UTC", 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::tzset();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
