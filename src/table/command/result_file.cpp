#include "result_file.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string_view>

namespace littoral {
namespace {

std::string systemError(int number) { return std::strerror(number); }

// The hidden named file of the run, for a handler that ends the run at once.
char namedTemporary[PATH_MAX];
volatile std::sig_atomic_t hasNamedTemporary = 0;

void rememberTemporary(const std::string& path) {
  if (path.size() >= sizeof namedTemporary) return;
  std::memcpy(namedTemporary, path.c_str(), path.size() + 1);
  hasNamedTemporary = 1;
}

void forgetTemporary() { hasNamedTemporary = 0; }

// Holds back the stop signals while a file is made or named, so that a handler never meets a
// name half made.
class StopSignalsHeld {
 public:
  StopSignalsHeld() {
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
    pthread_sigmask(SIG_BLOCK, &stops, &previous_);
  }
  ~StopSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

// The open descriptor that a name stands for: 1 for /dev/stdout, /dev/fd/1, /proc/self/fd/1.
std::optional<int> descriptorNamed(std::string_view path) {
  constexpr std::pair<std::string_view, int> kStandard[] = {
      {"/dev/stdin", 0}, {"/dev/stdout", 1}, {"/dev/stderr", 2}};
  for (const auto& [name, fd] : kStandard) {
    if (path == name) return fd;
  }
  for (const std::string_view directory : {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/"}) {
    if (!path.starts_with(directory)) continue;
    const std::string_view digits = path.substr(directory.size());
    int fd = -1;
    const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), fd);
    if (failure == std::errc() && end == digits.data() + digits.size()) return fd;
  }
  return std::nullopt;
}

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// Follows the symbolic links of path to the file they lead to, which need not exist, or to the
// name of an open descriptor. Returns 0, or the error that stopped it.
int followLinks(std::string& path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat status {};
    if (descriptorNamed(path) || lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
      return 0;
    }
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return errno;
    target.resize(std::size_t(length));
    if (!target.starts_with('/')) {
      // Relative to the link's own directory, wherever its links lead.
      char* directory = realpath(directoryOf(path).c_str(), nullptr);
      if (directory == nullptr) return errno;
      const std::string base = directory;
      std::free(directory);
      target = (base == "/" ? "" : base) + "/" + target;
    }
    path = target;
  }
  return ELOOP;
}

// A name beside path that no file is likely to have, hidden from a plain listing.
std::string hiddenName(const std::string& path) {
  static std::minstd_rand random(std::random_device{}());
  constexpr std::string_view kLetters =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string name = directoryOf(path) + "/." + baseOf(path) + ".";
  for (int i = 0; i < 6; ++i) name += kLetters[random() % kLetters.size()];
  return name;
}

// Gives the unnamed file open as fd a name; 0 or the error.
int linkUnnamed(int fd, const std::string& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT) return errno;
#ifdef AT_EMPTY_PATH
  // Without /proc: through the descriptor itself, which needs the privilege to do so.
  if (linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
#endif
  return errno;
}

mode_t newFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

ResultFile::~ResultFile() { discard(); }

bool ResultFile::open(const std::string& name, std::string& error) {
  if (name.empty() || name == "-") {
    fd_ = STDOUT_FILENO;
    return true;
  }
  path_ = name;
  if (const int failure = followLinks(path_); failure != 0) {
    error = systemError(failure);
    return false;
  }
  if (const std::optional<int> descriptor = descriptorNamed(path_)) {
    // Written through the descriptor, so that `-o /dev/stdout >> log` appends to log.
    fd_ = fcntl(*descriptor, F_DUPFD_CLOEXEC, 3);
    if (fd_ < 0) error = systemError(errno);
    ownsFd_ = fd_ >= 0;
    return ownsFd_;
  }
  struct stat status {};
  if (stat(path_.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) return openDirect(error);
  return openReplacing(error);
}

bool ResultFile::openDirect(std::string& error) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd_ < 0) error = systemError(errno);
  ownsFd_ = fd_ >= 0;
  return ownsFd_;
}

bool ResultFile::openReplacing(std::string& error) {
  const std::string directory = directoryOf(path_);
  if (access(directory.c_str(), W_OK | X_OK) != 0) {
    const int failure = errno;
    error = failure == ENOENT || failure == ENOTDIR
                ? systemError(failure)
                : "cannot write in " + directory + " (" + systemError(failure) +
                      "); write to standard output instead: -o - or no -o";
    return false;
  }
  struct stat status {};
  const mode_t mode = stat(path_.c_str(), &status) == 0 ? status.st_mode & 07777 : newFileMode();
#ifdef O_TMPFILE
  fd_ = ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    error = systemError(errno);
    return false;
  }
  unnamed_ = fd_ >= 0;
#endif
  if (fd_ < 0) {
    // A file system without unnamed files: a hidden named one, removed when the run ends.
    const StopSignalsHeld held;
    std::string pattern = directoryOf(path_) + "/." + baseOf(path_) + ".XXXXXX";
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
      error = systemError(errno);
      return false;
    }
    temporary_ = pattern;
    rememberTemporary(temporary_);
  }
  ownsFd_ = true;
  replacing_ = true;
  fchmod(fd_, mode);
  return true;
}

bool ResultFile::commit(std::string& error) {
  if (replacing_) return nameAs(path_, error);
  if (!ownsFd_ || fd_ < 0) return true;
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) == 0) return true;
  error = systemError(errno);
  return false;
}

bool ResultFile::keepPartial(std::string& error) { return nameAs(partialName(), error); }

bool ResultFile::nameAs(const std::string& name, std::string& error) {
  const StopSignalsHeld held;
  int failure = 0;
  if (unnamed_) {
    for (int attempt = 0; attempt < 100 && temporary_.empty(); ++attempt) {
      const std::string hidden = hiddenName(path_);
      failure = linkUnnamed(fd_, hidden);
      if (failure == 0) temporary_ = hidden;
      if (failure != EEXIST) break;
    }
  }
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && rename(temporary_.c_str(), name.c_str()) != 0) failure = errno;
  if (failure != 0 && !temporary_.empty()) unlink(temporary_.c_str());
  forgetTemporary();
  temporary_.clear();
  if (failure != 0) error = systemError(failure);
  return failure == 0;
}

void ResultFile::discard() {
  if (ownsFd_ && fd_ >= 0) close(fd_);
  fd_ = -1;
  if (temporary_.empty()) return;
  const StopSignalsHeld held;
  unlink(temporary_.c_str());
  forgetTemporary();
  temporary_.clear();
}

void ResultFile::removeNamedTemporary() {
  if (hasNamedTemporary) unlink(namedTemporary);
}

}  // namespace littoral
