#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform.hpp"

namespace strtab2c {

static_assert(sizeof(off_t) == 8, "build with 64-bit file offsets");

void prepare_process() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // open() takes the lowest free descriptor: this one.
      if (open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd) _exit(255);
    }
  }
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> utf8_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

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

std::string last_error_text() { return std::strerror(errno); }
unsigned long process_id() { return static_cast<unsigned long>(getpid()); }

}  // namespace strtab2c
