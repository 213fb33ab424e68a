#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>

#include "platform.hpp"

namespace strtab2c {

static_assert(sizeof(off_t) == 8, "build with 64-bit file offsets");

namespace {

// What an interrupted run cleans up; only these are touched in the signal handler.
constexpr int kCleanupSlots = 4;
const char* volatile cleanup_paths[kCleanupSlots] = {};
volatile int append_fd = -1;
volatile off_t append_length = 0;
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

void on_interrupt(int sig) {
  for (const char* path : cleanup_paths) {
    if (path) unlink(path);
  }
  if (append_fd >= 0) {
    const int rc = ftruncate(append_fd, append_length);
    static_cast<void>(rc);
  }
  signal(sig, SIG_DFL);
  raise(sig);  // delivered once the handler returns: the process dies by it
}

}  // namespace

int remove_if_interrupted(const std::string& path) {
  for (int slot = 0; slot < kCleanupSlots; ++slot) {
    if (!cleanup_paths[slot]) {
      cleanup_paths[slot] = path.c_str();
      return slot;
    }
  }
  return -1;
}

void forget_file(int slot) {
  if (slot >= 0 && slot < kCleanupSlots) cleanup_paths[slot] = nullptr;
}

void cut_back_if_interrupted(std::FILE* file, std::uint64_t length) {
  append_fd = -1;
  append_length = static_cast<off_t>(length);
  append_fd = file ? fileno(file) : -1;
}

bool regular_file_size(std::FILE* file, std::uint64_t* size) {
  struct stat st;
  if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

void prepare_process() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // open() takes the lowest free descriptor: this one.
      if (open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd) _exit(255);
    }
  }
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = on_interrupt;
  sigfillset(&action.sa_mask);  // one cleanup, not interrupted by the next signal
  for (int sig : kInterrupts) {
    struct sigaction old;
    // A signal the caller ignores (nohup, a background job) stays ignored.
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
      sigaction(sig, &action, nullptr);
    }
  }
}

std::vector<std::string> utf8_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::FILE* output_stream() { return stdout; }  // prepare_process() made sure it is open

std::FILE* open_file(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::FILE* create_new_file(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "wb");
  if (!file) close(fd);
  return file;
}

bool replace_file(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool remove_file(const std::string& path) { return unlink(path.c_str()) == 0; }

bool is_directory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::size_t name_max(const std::string& dir) {
  const long n = pathconf(dir.empty() ? "." : dir.c_str(), _PC_NAME_MAX);
  return n > 0 ? static_cast<std::size_t>(n) : 255;
}

static FileId to_id(const struct stat& st) {
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool file_id(std::FILE* file, FileId* id) {
  struct stat st;
  if (fstat(fileno(file), &st) != 0) return false;
  *id = to_id(st);
  return true;
}

PathState path_id(const std::string& path, FileId* id) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) {
    *id = to_id(st);
    return PathState::kFound;
  }
  return errno == ENOENT || errno == ENOTDIR ? PathState::kMissing : PathState::kUnknown;
}

bool truncate_file(std::FILE* file, std::uint64_t size) {
  return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

bool tell_file(std::FILE* file, std::uint64_t* pos) {
  const off_t at = ftello(file);
  if (at < 0) return false;
  *pos = static_cast<std::uint64_t>(at);
  return true;
}

static bool set_lock(std::FILE* file, short type) {
  struct flock lock;
  std::memset(&lock, 0, sizeof lock);
  lock.l_type = type;
  lock.l_whence = SEEK_SET;  // start 0, length 0: the whole file, however it grows
  while (fcntl(fileno(file), F_SETLKW, &lock) == -1) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool lock_file(std::FILE* file) { return set_lock(file, F_WRLCK); }
void unlock_file(std::FILE* file) { set_lock(file, F_UNLCK); }

namespace {

// The one mapping the run makes; the SIGBUS handler may touch only these.
const char* volatile mapped_begin = nullptr;
volatile std::size_t mapped_size = 0;
volatile std::uintptr_t page_mask = 0;
volatile sig_atomic_t mapping_truncated = 0;

void on_sigbus(int, siginfo_t* info, void*) {
  const char* at = static_cast<const char*>(info->si_addr);
  const char* begin = mapped_begin;
  if (begin && at >= begin && at < begin + mapped_size) {
    // The file shrank under the mapping: a page of zeros where its bytes were.
    void* page = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(at) & page_mask);
    if (mmap(page, ~page_mask + 1, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
        MAP_FAILED) {
      mapping_truncated = 1;
      return;
    }
  }
  std::signal(SIGBUS, SIG_DFL);
  std::raise(SIGBUS);
}

}  // namespace

bool MappedFile::map(std::FILE* file) {
  struct stat st;
  if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
      static_cast<std::uint64_t>(st.st_size) > SIZE_MAX / 2) {
    return false;
  }
  const std::size_t size = static_cast<std::size_t>(st.st_size);
  void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fileno(file), 0);
  if (data == MAP_FAILED) return false;
  page_mask = ~static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE) - 1);
  mapping_truncated = 0;
  mapped_size = size;
  mapped_begin = static_cast<const char*>(data);
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_sigaction = on_sigbus;
  action.sa_flags = SA_SIGINFO;
  sigaction(SIGBUS, &action, nullptr);
  file_ = file;
  data_ = static_cast<const char*>(data);
  size_ = size;
  return true;
}

bool MappedFile::copy(std::uint64_t offset, std::size_t size, char* out) const {
  while (size > 0) {
    const ssize_t got = pread(fileno(file_), out, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    offset += static_cast<std::uint64_t>(got);
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool MappedFile::truncated() const { return data_ && mapping_truncated; }

MappedFile::~MappedFile() {
  if (!data_) return;
  mapped_begin = nullptr;
  munmap(const_cast<char*>(data_), size_);
}

std::string last_error_text() { return std::strerror(errno); }
std::string error_text(int code) { return std::strerror(code); }
unsigned long process_id() { return static_cast<unsigned long>(getpid()); }

}  // namespace strtab2c
