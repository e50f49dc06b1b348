#include "cli/interrupt_stop.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "platform/work_control.h"

namespace kest::cli {
namespace {

// Made before the handler is installed: the handler itself may only write what is ready.
char g_message[192];
size_t g_message_size = 0;

void OnInterrupt(int) {
  SetStopFlag(1);
  [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, g_message, g_message_size);
}

}  // namespace

StopOnInterrupt::StopOnInterrupt(const char* command, const char* item) {
  int n = std::snprintf(g_message, sizeof g_message,
                        "\nkest %s: stopping after the current %s (Ctrl-C again to quit at "
                        "once)\n",
                        command, item);
  g_message_size = n < 0 ? 0 : std::min(static_cast<size_t>(n), sizeof g_message - 1);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
}

StopOnInterrupt::~StopOnInterrupt() { std::signal(SIGINT, SIG_DFL); }

}  // namespace kest::cli
