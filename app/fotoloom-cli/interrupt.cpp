#include "interrupt.h"

#include <atomic>
#include <csignal>

namespace fotoloom::cli {
namespace {

// Only a lock-free atomic may be touched from a signal handler.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

struct sigaction g_previous;
bool g_armed = false;

extern "C" void OnInterrupt(int) { g_interrupted.store(true); }

}  // namespace

void ArmInterrupt() {
  g_interrupted.store(false);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a prompt blocked in read() sees EINTR. SA_RESETHAND: a second Ctrl-C
  // finds the default action and ends the program.
  action.sa_flags = SA_RESETHAND;
  if (sigaction(SIGINT, &action, g_armed ? nullptr : &g_previous) == 0) g_armed = true;
}

void DisarmInterrupt() {
  if (!g_armed) return;
  sigaction(SIGINT, &g_previous, nullptr);
  g_armed = false;
}

bool InterruptRequested() { return g_interrupted.load(); }

}  // namespace fotoloom::cli
