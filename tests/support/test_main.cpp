// Entry point of every test program. Results that depend on the locale, the time zone or a
// display must not depend on the machine, so the test process (and every program it starts)
// runs with a fixed locale and zone and without a display, however the tests are started.
// The programs it starts keep their thumbnail cache in a folder of the test's own, removed at
// the end, never in the user's.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  ::setenv("LC_ALL", "C.UTF-8", 1);
  ::setenv("TZ", "UTC", 1);
  // The offscreen platform may be given a screen of its own ("offscreen:configfile=...").
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform == nullptr || std::string(platform).rfind("offscreen", 0) != 0)
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::tzset();
  char cache[] = "/tmp/fotoloom-test-cache-XXXXXX";
  if (::mkdtemp(cache) == nullptr) return 1;
  ::setenv("XDG_CACHE_HOME", cache, 1);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::error_code ignored;
  std::filesystem::remove_all(cache, ignored);
  return result;
}
