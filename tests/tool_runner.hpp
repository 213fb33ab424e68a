// Runs the built tool as a separate process in a scratch directory, with its output captured
// through files, on POSIX and on Windows alike.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scratch.hpp"

namespace testing_support {

struct RunResult {
  int status = -1;                 // exit status as a shell sees it (-1 shows as 255)
  std::string out;                 // stdout, line ends as the tool wrote them
  std::string err;                 // stderr
  std::vector<std::string> lines;  // stdout split into lines, line ends removed
};

struct RunOptions {
  long long file_size_limit = -1;   // POSIX: RLIMIT_FSIZE in bytes
  bool close_stdout = false;        // start with no standard output (descriptor 1 closed)
  std::string stdout_path;          // stdout to this file (say /dev/full) instead of a capture
  bool stdout_broken_pipe = false;  // stdout a pipe whose reader is gone
  std::string cwd;                  // a subdirectory of the scratch directory to run in
  std::string kill_when_prefix;     // kill the tool once a file whose name starts so ...
  std::uint64_t kill_at_size = 0;   // ... holds at least this many bytes
  int kill_signal = 9;              // POSIX: the signal sent then (SIGKILL)
  std::string shrink_path;          // POSIX: instead, stop the tool, cut this file short ...
  std::uint64_t shrink_by = 0;      // ... by this many bytes, and let it go on
  long long memory_limit = -1;      // POSIX: RLIMIT_AS in bytes
};

// A scratch directory to run the tool in.
class ToolDir : public Scratch {
 public:
  // Runs the tool in the directory, or in its subdirectory cwd.
  RunResult run(const std::vector<std::string>& args, const RunOptions& options,
                const std::string& cwd = "") const;
  RunResult run(const std::vector<std::string>& args) const;
};

// A started run of the tool; wait() collects it.
class Process {
 public:
  Process(const Scratch& scratch, const std::vector<std::string>& args, const RunOptions& options);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  RunResult wait();

 private:
  bool kill_due() const;  // the kill_when_prefix condition holds
  struct Impl;
  unsigned long start_error_ = 0;  // Windows: why the start failed
  const Scratch& scratch_;
  RunOptions options_;
  std::string out_file_, err_file_;
  std::unique_ptr<Impl> impl_;
};

// POSIX root, whom permissions do not bind.
bool running_as_root();
// A named pipe at path (POSIX); false where there is none.
bool make_fifo(const std::string& path);
// A Windows build running under wine.
bool under_wine();
// Keeps a file from being replaced: another handle without sharing on Windows, the immutable
// attribute on Linux (root). False when the platform or file system cannot.
bool hold_file(const std::string& path);
void release_file(const std::string& path);
// The path of the tool under test.
std::string tool_path();
// The bytes of a capture file, which is removed.
std::string take_file(const std::string& path);
// Splits captured stdout into lines at kEol; a last line without one is marked.
std::vector<std::string> split_lines(const std::string& out);

}  // namespace testing_support
