#pragma once

// The temporary files of a commit, each beside the file it will replace.
// While they exist, an interrupting signal (SIGINT, SIGTERM, SIGHUP)
// removes them before it ends the process.  The renames that put them in
// place run with those signals held back, so that an interrupted run
// leaves the old set of files or the new one, never part of each.  A
// signal that cannot be caught (SIGKILL) may leave a temporary under its
// own name, never under the name of an output.

#include <csignal>
#include <string>
#include <string_view>
#include <vector>

namespace sizgen {

class TemporaryFiles {
 public:
  // Catches the interrupting signals that are not ignored.
  TemporaryFiles();
  // Removes every temporary not renamed and restores the signals' actions.
  ~TemporaryFiles();
  TemporaryFiles(const TemporaryFiles&) = delete;
  TemporaryFiles& operator=(const TemporaryFiles&) = delete;

  // Creates a new file beside `target`, in its directory, named
  // ".NAME.XXXXXX" after it, with mode 0666 less the umask, and returns its
  // descriptor, open for writing.  Throws sizgen::Error "cannot write
  // OUTPUT: reason".
  int create(const std::string& target, std::string_view output);
  // Renames each temporary onto its target, in the order created.  Call it
  // while InterruptsHeldBack.  Throws sizgen::Error "cannot write OUTPUT:
  // reason" at the first rename that fails; the temporaries not yet
  // renamed are removed.
  void renameAll();

 private:
  struct Temporary {
    std::string path;
    std::string target;
    std::string output;
  };
  std::vector<Temporary> files_;
  std::vector<std::pair<int, struct sigaction>> previous_;
};

// Holds back the interrupting signals while it lives; one that arrives
// meanwhile takes effect when it ends.
class InterruptsHeldBack {
 public:
  InterruptsHeldBack();
  ~InterruptsHeldBack();
  InterruptsHeldBack(const InterruptsHeldBack&) = delete;
  InterruptsHeldBack& operator=(const InterruptsHeldBack&) = delete;

 private:
  sigset_t previous_{};
};

}  // namespace sizgen
