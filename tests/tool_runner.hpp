// Runs the built tool as a separate process in a scratch directory, natively or as the Windows
// .exe under wine, with its output captured through files (wine's helpers keep pipes open).
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct RunResult {
  int status = -1;                 // exit status as the shell sees it (-1 shows as 255)
  std::string out;                 // stdout, line ends as the tool wrote them
  std::string err;                 // stderr
  std::vector<std::string> lines;  // stdout split into lines, line ends removed
};

struct RunOptions {
  long long file_size_limit = -1;  // RLIMIT_FSIZE in bytes, with SIGXFSZ ignored
};

// True when the suite drives the Windows build (STRTAB2C_WINDOWS_EXE is set).
bool windows_tool();
// Line end the tool's stdout and include file use on the platform under test.
const char* platform_eol();

class Scratch {
 public:
  Scratch();
  ~Scratch();
  const std::string& dir() const { return dir_; }
  std::string path(const std::string& rel) const { return dir_ + "/" + rel; }
  void write(const std::string& rel, const std::string& bytes) const;
  std::string read(const std::string& rel) const;
  bool exists(const std::string& rel) const;
  void mkdir(const std::string& rel) const;
  RunResult run(const std::vector<std::string>& args, const RunOptions& options = {}) const;

 private:
  std::string dir_;
};

}  // namespace testing_support
