// How a run ends when it cannot go on: through a failure, the end of the
// operator's input, or an interrupt. Every such end passes through
// FatalEnd, which first lets the program tidy its work (the hook), then
// says why on standard error and exits, so that the reason is the last
// thing the operator sees.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "utils/utils.h"

void (*pTidyAfterFailure)() = nullptr;
volatile sig_atomic_t InterruptSignal = 0;

namespace {

bool flEnding = false;  // FatalEnd has begun: the tidy's own commands run on

void OnInterrupt(int sig) { InterruptSignal = sig; }

}  // namespace

void FatalEnd(int status, const std::string& words) {
  if (!flEnding) {
    flEnding = true;
    if (pTidyAfterFailure) pTidyAfterFailure();
  }
  std::fflush(stdout);
  std::fputs(words.c_str(), stderr);
  std::exit(status);
}

void CatchInterrupts() {
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no restart: a wait for input ends at once
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
}

void CheckInterrupt() {
  int sig = InterruptSignal;
  if (sig == 0 || flEnding) return;
  FatalEnd(128 + sig, std::string("\n") + (my_name ? my_name : "") + ": interrupted\n");
}

void InputEnded() {
  int err = errno;
  if (err == EINTR) CheckInterrupt();
  FatalEnd(1, std::string("\n") + (my_name ? my_name : "") + ": reading from standard input: " +
                  (err && !std::feof(stdin) ? std::strerror(err) : "end of input") + "\n");
}
