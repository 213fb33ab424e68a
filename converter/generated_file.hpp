// The generated source file appears whole or not at all: its text goes to a temporary file in the
// same directory, which replaces the final name only once complete and closed. A killed run
// leaves at most its temporary file (<final name>.<process id>.tmp, the name cut short where
// the system allows no more), never a cut-off final file
// that a build system would take for up to date.
#pragma once

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "platform.hpp"
#include "source_writer.hpp"

namespace strtab2c {

// Past its first megabytes, a large file is written by a thread of its own, block after queued
// block, while the next is rendered.
#if defined(__GLIBCXX__) && !defined(_GLIBCXX_HAS_GTHREADS)
#define STRTAB2C_NO_THREADS 1  // MinGW's win32-thread compilers: write each block at once
#endif

class GeneratedFile final : public OutputSink {
 public:
  GeneratedFile() = default;
  GeneratedFile(const GeneratedFile&) = delete;
  GeneratedFile& operator=(const GeneratedFile&) = delete;
  // Removes the temporary file of a run that did not commit.
  ~GeneratedFile();

  // False when the file cannot be created at path: no such directory, no permission, or a
  // directory standing there. *failed_path: the path that errno's reason is about, the final one
  // or the temporary one.
  bool open(const std::string& path, std::string* failed_path = nullptr);
  bool write(const char* data, std::size_t size) override;
#ifndef STRTAB2C_NO_THREADS
  bool start(const char* data, std::size_t size) override;
  bool finish(std::size_t pending = 0) override;
#endif
  // Closes the temporary file; false when not all of it reached the file.
  bool close();
  // Moves the closed temporary file over the final name (a link standing there is replaced, not
  // written through). The previous file stays intact until then.
  bool commit();

 private:
  std::string path_;
  std::string temp_path_;
  File file_;
  bool committed_ = false;
#ifndef STRTAB2C_NO_THREADS
  void stop_writer();
  static constexpr std::size_t kThreadAfter = std::size_t{8} << 20;  // bytes written at once

  struct Block {
    const char* data;
    std::size_t size;
  };
  std::size_t written_ = 0;
  std::thread writer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Block> queue_;  // oldest first; the front one is being written
  bool queue_ok_ = true;     // every block so far was written whole
  bool stopping_ = false;
#endif
};

}  // namespace strtab2c
