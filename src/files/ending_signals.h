#pragma once

// The signals that end a process by default and that a process may catch:
// during a commit each of them is held back or caught, so that it cannot
// end the run between two files of a set.  SIGKILL and SIGSTOP cannot be
// caught; the others (SIGCHLD, SIGCONT, SIGTSTP, SIGWINCH, ...) do not end
// a process.

#include <array>
#include <csignal>

namespace sizgen {

// By name; every real-time signal, SIGRTMIN to SIGRTMAX, ends a process
// too (their numbers are known only when the program runs).
inline constexpr std::array kNamedEndingSignals = {
    SIGHUP,  SIGINT,    SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,
    SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU,
    SIGXFSZ, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR,  SIGSYS};

// The named ending signals and the real-time ones.
sigset_t endingSignalSet();

}  // namespace sizgen
