// The few file operations that differ between Windows and POSIX, plus an owning FILE handle.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace strtab2c {

// Positions the stream at an absolute byte offset; 64-bit so offsets of 2 GiB and more work.
bool seek_file(std::FILE* file, std::uint64_t pos);
bool tell_file(std::FILE* file, std::uint64_t* pos);
// Cuts an open file back to size bytes (used to undo a failed append).
bool truncate_file(std::FILE* file, std::uint64_t size);
// True when both paths exist and name one file, also through links or differently spelled paths.
bool same_file(const std::string& a, const std::string& b);

// Owns one FILE; closes it on every path out of scope.
class File {
 public:
  File() = default;
  static File open(const std::string& path, const char* mode) {
    File f;
    f.file_ = std::fopen(path.c_str(), mode);
    return f;
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
