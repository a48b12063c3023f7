#include "files/ending_signals.h"

namespace sizgen {

sigset_t endingSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kNamedEndingSignals) sigaddset(&set, signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&set, signal);
  return set;
}

}  // namespace sizgen
