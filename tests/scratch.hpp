// Scratch directories and whole-file reads for every test.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

#ifdef _WIN32
inline constexpr bool kWindows = true;
inline constexpr char kEol[] = "\r\n";  // the tool's stdout and include file are in text mode
#else
inline constexpr bool kWindows = false;
inline constexpr char kEol[] = "\n";
#endif

// The bytes of the file at path (UTF-8), empty when it cannot be read.
std::string read_file(const std::string& path);

// A fresh directory, removed with everything in it at the end.
class Scratch {
 public:
  Scratch();
  ~Scratch();
  const std::string& dir() const { return dir_; }
  std::string path(const std::string& rel) const { return dir_ + "/" + rel; }
  void write(const std::string& rel, const std::string& bytes) const;
  std::string read(const std::string& rel) const;
  bool exists(const std::string& rel) const;  // a dangling link exists too
  void mkdir(const std::string& rel) const;
  std::vector<std::string> list(const std::string& rel = ".") const;  // names, sorted

 private:
  std::string dir_;
};

}  // namespace testing_support
