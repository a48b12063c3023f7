#pragma once

// The temporary files of a commit, each beside the file it will replace.
// While they exist, a signal that would end the process (see
// ending_signals.h) removes them before it ends it.  The renames that put
// them in place run with those signals held back, so that a signal leaves
// the old set of files or the new one, never part of each: it takes
// effect once the renames are done, or undone after a failure.  A signal
// that cannot be caught (SIGKILL) may leave a temporary under its own
// name, never a file cut short under the name of an output.

#include <csignal>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sizgen {

class TemporaryFiles {
 public:
  // How a commit renames: renameat2(2) of `from` onto `to` with `flags`
  // (0 or RENAME_EXCHANGE); returns 0 or an errno value.
  using Rename = std::function<int(const std::string& from, const std::string& to, unsigned flags)>;

  // Catches the ending signals that are not ignored.
  TemporaryFiles();
  // Removes every temporary left and restores the signals' actions.
  ~TemporaryFiles();
  TemporaryFiles(const TemporaryFiles&) = delete;
  TemporaryFiles& operator=(const TemporaryFiles&) = delete;

  // Creates a new file beside `target`, in its directory, named
  // ".NAME.XXXXXX" after it, with mode 0666 less the umask, and returns its
  // descriptor, open for writing.  Throws sizgen::Error "cannot write
  // OUTPUT: reason".
  int create(const std::string& target, std::string_view output);
  // Puts each temporary in place of its target, in the order created, then
  // removes the old files.  An existing target is exchanged with its
  // temporary; where the file system cannot exchange two names, the old
  // file is first kept under a temporary name by a hard link, and the
  // temporary renamed onto the target.  When a rename fails, every target
  // changed before it is put back as it was and sizgen::Error "cannot
  // write OUTPUT: reason" is thrown.  Call it while EndingSignalsHeldBack.
  void renameAll(const Rename& rename);

 private:
  // Where a temporary is in the commit.
  enum class Step {
    Written,    // under its own name, with the new content
    Exchanged,  // its name holds the old file
    Created,    // renamed onto a name that held no file
    Replaced,   // renamed onto the old file, kept as `backup` when it could be
    Gone,       // nothing of it is left but its target
  };
  struct Temporary {
    std::string path;
    std::string target;
    std::string output;
    Step step = Step::Written;
    std::string backup;  // a hard link to the old file, when one is held
  };
  static void put(Temporary& file, const Rename& rename);
  static void putBack(Temporary& file, const Rename& rename);
  // The names held: what the destructor and the signal handler remove.
  std::vector<std::string> held() const;
  // Tells the signal handler the names held; call with the signals held
  // back.
  void publish() const;

  std::vector<Temporary> files_;
  std::vector<std::pair<int, struct sigaction>> previous_;
};

// Holds back the ending signals while it lives; one that arrives meanwhile
// takes effect when it ends.
class EndingSignalsHeldBack {
 public:
  EndingSignalsHeldBack();
  ~EndingSignalsHeldBack();
  EndingSignalsHeldBack(const EndingSignalsHeldBack&) = delete;
  EndingSignalsHeldBack& operator=(const EndingSignalsHeldBack&) = delete;

 private:
  sigset_t previous_{};
};

}  // namespace sizgen
