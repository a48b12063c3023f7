#include "driver/formatted_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "driver/error.h"

// f2c.h defines macros (min, max, abs, ...) that clash with the C++
// library, so it comes after every C++ header and only into this file.
extern "C" {
#include <f2c.h>

integer s_wsfe(cilist*);
integer e_wsfe(void);
integer do_fio(ftnint* count, char* item, ftnlen length);
integer s_wsle(cilist*);
integer e_wsle(void);
integer do_lio(ftnint* type, ftnint* count, char* item, ftnlen length);
integer s_rsfi(icilist*);
integer e_rsfi(void);
integer f_open(olist*);
integer f_clos(cllist*);
void f_init(void);
int f__canseek(FILE*);
extern const char* F_err[];  // texts of libf2c's own error codes 100, 101, ...

// note [libf2c unit table]
// libf2c keeps each unit's FILE in its table f__units, which its installed
// header does not describe.  The library does not report a failed write
// (a full disk goes unnoticed) and its CLOSE ignores what fclose says, so
// we read the FILE of each unit from the table to check ferror after every
// record, to flush before closing, and to take over the last close of each
// file (see Session::close).  The layout below is libf2c's; the session
// checks it against the units that f_init connects (0, 5 and 6 to stderr,
// stdin and stdout) and against the name of every file it opens, and
// refuses to run when it does not match.
struct F2cUnit {
  FILE* ufd;
  char* ufnm;
  long uinode;
  int udev;
  int url;
  flag useek, ufmt, urw, ublnk, uend, uwrt, uscrtch;
};
extern F2cUnit f__units[];
}

#undef min
#undef max
#undef abs
#undef dabs
#undef dmin
#undef dmax
#undef bit_test
#undef bit_clear
#undef bit_set

namespace sizgen::fio {
namespace {

constexpr int kUnitCount = 100;       // libf2c's MXUNIT
constexpr ftnint kTypeInteger = 3;    // TYLONG
constexpr ftnint kTypeCharacter = 9;  // TYCHAR

struct UnitState {
  std::string name;      // how messages call the file
  bool named = false;    // opened by name (not the listing)
  bool written = false;  // at least one record was written
};

}  // namespace

struct SessionState {
  bool active = false;
  std::array<UnitState, kUnitCount> units;
  struct sigaction fileSizeAction {};  // SIGXFSZ as it was before the run
};

namespace {

SessionState session;

std::string libraryMessage(integer code) {
  if (code >= 100 && code <= 131) return F_err[code - 100];
  return std::strerror(static_cast<int>(code));
}

std::string unitName(int unit) {
  if (unit >= 0 && unit < kUnitCount && !session.units[unit].name.empty())
    return session.units[unit].name;
  return "unit " + std::to_string(unit);
}

[[noreturn]] void failWrite(int unit, const std::string& reason) {
  throw Error("cannot write " + unitName(unit) + ": " + reason);
}

void checkStatus(int unit, integer status) {
  if (status != 0) failWrite(unit, libraryMessage(status));
}

// After a record: libf2c writes through stdio and ignores its errors, so
// look at the stream itself (see note [libf2c unit table]).
void checkStream(int unit) {
  FILE* file = f__units[unit].ufd;
  if (file != nullptr && std::ferror(file)) {
    failWrite(unit, errno != 0 ? std::strerror(errno) : "write error");
  }
}

void transfer(int unit, const Item& item) {
  ftnint one = 1;
  integer status = 0;
  switch (item.kind()) {
    case Item::Kind::Integer: {
      integer value = item.integer();
      status = do_fio(&one, reinterpret_cast<char*>(&value), sizeof value);
      break;
    }
    case Item::Kind::Real: {
      doublereal value = item.real();
      status = do_fio(&one, reinterpret_cast<char*>(&value), sizeof value);
      break;
    }
    case Item::Kind::Text:
      status = do_fio(&one, const_cast<char*>(item.text().data()),
                      static_cast<ftnlen>(item.text().size()));
      break;
  }
  checkStatus(unit, status);
}

void transferList(int unit, const Item& item) {
  ftnint one = 1;
  integer status = 0;
  switch (item.kind()) {
    case Item::Kind::Integer: {
      integer value = item.integer();
      ftnint type = kTypeInteger;
      status = do_lio(&type, &one, reinterpret_cast<char*>(&value), sizeof value);
      break;
    }
    case Item::Kind::Real:
      throw Error("internal error: list-directed REAL items are not written");
    case Item::Kind::Text: {
      ftnint type = kTypeCharacter;
      status = do_lio(&type, &one, const_cast<char*>(item.text().data()),
                      static_cast<ftnlen>(item.text().size()));
      break;
    }
  }
  checkStatus(unit, status);
}

// The start of one formatted WRITE; the FORMAT must stay alive, and end
// with NUL, until the statement ends.
class FormattedWrite {
 public:
  FormattedWrite(int unit, std::string_view format) : unit_(unit), format_(format) {
    cilist control{1, unit, 1, format_.data(), 0};  // errors and end of file return
    errno = 0;
    checkStatus(unit_, s_wsfe(&control));
    session.units[unit_].written = true;
  }
  void end() const {
    checkStatus(unit_, e_wsfe());
    checkStream(unit_);
  }

 private:
  int unit_;
  std::string format_;
};

template <class T>
std::optional<std::size_t> readItems(std::string_view record, std::string_view format,
                                     std::span<T> items) {
  std::string buffer(record);
  std::string control(format);
  icilist io{1, buffer.data(), 1, control.data(), static_cast<ftnint>(buffer.size()), 1};
  if (s_rsfi(&io) != 0) throw Error("internal error: cannot read with FORMAT " + control);
  ftnint one = 1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (do_fio(&one, reinterpret_cast<char*>(&items[i]), sizeof(T)) != 0) return i;
  }
  if (e_rsfi() != 0 && !items.empty()) return items.size() - 1;
  return std::nullopt;
}

// Flushes what was written on the unit and checks that it all went out.
void pushOut(int unit, FILE* file) {
  if (!session.units[static_cast<std::size_t>(unit)].written) return;
  errno = 0;
  if (std::fflush(file) != 0 || std::ferror(file)) {
    failWrite(unit, errno != 0 ? std::strerror(errno) : "write error");
  }
}

void closeUnit(int unit) {
  cllist control{1, unit, nullptr};
  f_clos(&control);
}

// Closes every unit, as libf2c's f_exit does at the end of a program; the
// session owns the units, so it is done here and may happen once per run.
void closeAllUnits() {
  for (int unit = 0; unit < kUnitCount; ++unit) closeUnit(unit);
  ::sigaction(SIGXFSZ, &session.fileSizeAction, nullptr);
  session = SessionState{};
}

// A standard stream that is closed when the run starts would lend its
// descriptor to the first file opened: the deck would be read from
// newmods.for, or the listing written into it.  Hold each closed one with
// /dev/null, opened the wrong way round so that using it fails ("cannot
// read standard input", "cannot write standard output": Bad file
// descriptor).
void holdClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int held = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    if (held >= 0 && held != fd) {
      ::dup2(held, fd);
      ::close(held);
    }
  }
}

}  // namespace

void Unit::write(std::string_view format, std::initializer_list<Item> items) const {
  if (number_ < 0) return;
  FormattedWrite statement(number_, format);
  for (const Item& item : items) transfer(number_, item);
  statement.end();
}

void Unit::write(std::string_view format, std::span<const std::int32_t> values) const {
  static_assert(sizeof(integer) == sizeof(std::int32_t));
  if (number_ < 0) return;
  FormattedWrite statement(number_, format);
  auto count = static_cast<ftnint>(values.size());
  checkStatus(number_,
              do_fio(&count, reinterpret_cast<char*>(const_cast<std::int32_t*>(values.data())),
                     sizeof(integer)));
  statement.end();
}

void Unit::writeList(std::initializer_list<Item> items) const {
  if (number_ < 0) return;
  cilist control{1, number_, 1, nullptr, 0};  // errors and end of file return
  errno = 0;
  checkStatus(number_, s_wsle(&control));
  session.units[number_].written = true;
  for (const Item& item : items) transferList(number_, item);
  checkStatus(number_, e_wsle());
  checkStream(number_);
}

std::optional<std::size_t> readRecord(std::string_view record, std::string_view format,
                                      std::span<std::int32_t> items) {
  return readItems(record, format, items);
}

std::optional<std::size_t> readRecord(std::string_view record, std::string_view format,
                                      std::span<double> items) {
  static_assert(sizeof(doublereal) == sizeof(double));
  return readItems(record, format, items);
}

Session::Session(std::FILE* listing) : state_(&session) {
  if (state_->active) throw Error("internal error: a run is already in progress");
  holdClosedStandardStreams();
  f_init();
  if (f__units[0].ufd != stderr || f__units[5].ufd != stdin || f__units[6].ufd != stdout) {
    throw Error("internal error: libf2c's unit table is not laid out as expected");
  }
  *state_ = SessionState{};
  state_->active = true;
  // A write beyond the file-size limit (ulimit -f) would end the process
  // with SIGXFSZ; ignored, the write fails with EFBIG ("File too large")
  // and is reported like any other failed write.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &state_->fileSizeAction);
  if (listing != stdout) {
    f__units[6].ufd = listing;
    f__units[6].useek = f__canseek(listing);
  }
  state_->units[5].name = "standard input";
  state_->units[6].name = listing == stdout ? "standard output" : "the listing";
}

Session::~Session() {
  if (state_->active) closeAllUnits();
}

void Session::open(int unit, const std::string& path, std::string_view name, Use use) {
  UnitState& state = state_->units[static_cast<std::size_t>(unit)];
  state.name = name;
  // libf2c would connect a directory, or a file it may only read, and fail
  // (or crash) at the first write; ask the system first.  A file that is
  // never written need only be readable (libf2c then connects it for
  // reading), but not a directory.
  int probe =
      ::open(path.c_str(), (use == Use::Written ? O_WRONLY : O_RDONLY) | O_CREAT | O_CLOEXEC, 0666);
  if (probe < 0) throw Error("cannot open " + state.name + ": " + std::strerror(errno));
  struct stat kind {};
  bool directory = ::fstat(probe, &kind) == 0 && S_ISDIR(kind.st_mode);
  ::close(probe);
  if (directory) throw Error("cannot open " + state.name + ": " + std::strerror(EISDIR));

  std::string file(path);
  char status[] = "UNKNOWN";
  char form[] = "FORMATTED";
  olist control{1,    unit, file.data(), static_cast<ftnlen>(file.size()), status, nullptr,
                form, 0,    nullptr};
  integer result = f_open(&control);
  if (result != 0) throw Error("cannot open " + state.name + ": " + libraryMessage(result));
  if (f__units[unit].ufnm == nullptr || path != f__units[unit].ufnm) {
    throw Error("internal error: libf2c's unit table is not laid out as expected");
  }
  state.named = true;
}

void Session::closeFiles() {
  for (int unit = 0; unit < kUnitCount; ++unit) {
    UnitState& state = state_->units[static_cast<std::size_t>(unit)];
    FILE* file = f__units[unit].ufd;
    if (file == nullptr || !state.named) continue;
    pushOut(unit, file);
    // Take over the last close of the file: libf2c's ignores the result of
    // fclose, where a delayed write error would show.
    long end = state.written ? std::ftell(file) : -1;
    int last = ::dup(fileno(file));
    closeUnit(unit);
    if (last < 0) continue;
    struct stat status {};
    bool cut = !state.written || ::fstat(last, &status) != 0 || !S_ISREG(status.st_mode) ||
               status.st_size == end;
    errno = 0;
    if (::close(last) != 0) failWrite(unit, std::strerror(errno));
    if (!cut) failWrite(unit, "cannot cut the file to what this run wrote");
  }
}

void Session::close() {
  closeFiles();
  for (int unit = 0; unit < kUnitCount; ++unit) {
    FILE* file = f__units[unit].ufd;
    if (file != nullptr) pushOut(unit, file);
  }
  closeAllUnits();
}

}  // namespace sizgen::fio
