// Scratch directories and whole-file reads for every test.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct RunResult;
struct RunOptions;

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
  // Runs the tool in the scratch directory, or in its subdirectory cwd.
  // (Defined with the process runner, which only the end-to-end tests link.)
  RunResult run(const std::vector<std::string>& args) const;
  RunResult run(const std::vector<std::string>& args, const RunOptions& options,
                const std::string& cwd = "") const;

 private:
  std::string dir_;
};

}  // namespace testing_support
