// What differs between Windows and POSIX, behind one interface, plus an owning FILE handle.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace strtab2c {

// Makes the process safe to run however it was started: standard streams that were closed are
// reopened on the null device (so no file the run opens takes their place), and a file-size
// limit or a closed pipe fails the write instead of killing the run.
void prepare_process();

// An interrupted run (SIGINT, SIGTERM, SIGHUP; on Windows Ctrl-C, Ctrl-Break and closing the
// console) removes the files registered here and cuts back an append under way, then dies by the
// same signal, so that make and the shell see it. Installed by prepare_process().
// Registers the file at path (a temporary file made by create_new_file(), open or closed) for
// removal; returns the slot for forget_file().
int remove_if_interrupted(const std::string& path);
void forget_file(int slot);
// An append under way to file, which had length bytes before it; nullptr: none.
void cut_back_if_interrupted(std::FILE* file, std::uint64_t length);

#ifdef _WIN32
// UTF-8 to the UTF-16 of the wide-character API.
std::wstring to_utf16(const std::string& text);
#endif

// The command line's arguments in UTF-8, whatever the system's code page (argv itself on POSIX).
std::vector<std::string> utf8_arguments(int argc, char** argv);

// Where the run's lines go: standard output, or the null device when the process has none.
std::FILE* output_stream();
// Opens a file; paths are UTF-8 on every platform.
std::FILE* open_file(const std::string& path, const char* mode);
// Creates a file that must not exist yet, for writing in binary mode, with the permissions a
// plain create gives (0666 less the umask on POSIX). Null when it exists or cannot be made
// (errno tells which). An interruption can remove it while it is open.
std::FILE* create_new_file(const std::string& path);
// Moves from over to, replacing to (a link standing there is replaced, not followed).
bool replace_file(const std::string& from, const std::string& to);
bool remove_file(const std::string& path);
bool is_directory(const std::string& path);
// The longest file name that directory dir takes, in the units the system counts: bytes on
// POSIX, UTF-16 code units on Windows.
std::size_t name_max(const std::string& dir);

// Which file an open stream or a path refers to, across links and spellings.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool operator==(const FileId& o) const { return device == o.device && index == o.index; }
};
bool file_id(std::FILE* file, FileId* id);
enum class PathState { kMissing, kFound, kUnknown };
// The file at path itself (a link is not followed). kUnknown when it exists but cannot be told.
PathState path_id(const std::string& path, FileId* id);

// The size of the regular file open as file; false for a pipe or a device.
bool regular_file_size(std::FILE* file, std::uint64_t* size);
// Cuts an open file back to size bytes.
bool truncate_file(std::FILE* file, std::uint64_t size);
bool tell_file(std::FILE* file, std::uint64_t* pos);
// An exclusive lock on the whole file, waiting for other holders; released by unlock or close.
bool lock_file(std::FILE* file);
void unlock_file(std::FILE* file);

// A regular file's bytes, mapped read-only: no copy, and no memory that grows with the file.
// Should the file shrink while mapped, its lost bytes read as 0 and truncated() says so, where
// the system would otherwise stop the process (SIGBUS).
class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();
  // False when the file cannot be mapped (a pipe, a device, an empty file): read it instead.
  bool map(std::FILE* file);
  std::string_view bytes() const { return std::string_view(data_, size_); }
  bool truncated() const;
  // Copies size bytes at offset into out by reading the file, not the mapping: for a large range
  // that costs less than faulting in every page it spans. False when they are not all there any
  // more (the file shrank): take them from bytes(), which tells.
  bool copy(std::uint64_t offset, std::size_t size, char* out) const;

 private:
  std::FILE* file_ = nullptr;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

// The system's text for the last failed call of this thread (errno), or for an errno code.
std::string last_error_text();
std::string error_text(int code);
// A failure's reason as the run tells it: "<path>: <the system's text>".
inline std::string reason(const std::string& path, const std::string& text = last_error_text()) {
  return path + ": " + text;
}
unsigned long process_id();

// Owns one FILE; closes it on every path out of scope.
class File {
 public:
  File() = default;
  explicit File(std::FILE* file) : file_(file) {}
  static File open(const std::string& path, const char* mode) {
    return File(open_file(path, mode));
  }
  File(File&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      reset();
      file_ = other.file_;
      other.file_ = nullptr;
    }
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { reset(); }

  explicit operator bool() const { return file_ != nullptr; }
  std::FILE* get() const { return file_; }

  // Closes now and reports whether everything buffered reached the file.
  bool close() {
    if (!file_) return true;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
  }

 private:
  void reset() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
  }
  std::FILE* file_ = nullptr;
};

}  // namespace strtab2c
