// Blocks in flight: the buffers the generated text is rendered into, and their way to the sink.
// A small output is rendered into one buffer and written at once from the rendering thread. Past
// its first kThreadAfter bytes a thread of its own writes the full buffers, oldest first, while
// the next one is rendered: three larger buffers in turn, so that the writer finds the next block
// ready when it is done with one. A thread or larger buffers that cannot be had are done without;
// a first buffer that cannot be had fails the writer like a failed write.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace strtab2c {

// Where generated text goes, in order: a file for the tool, memory for tests and the fuzzer.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // False when not all of data could be written, with *err saying why.
  virtual bool write(const char* data, std::size_t size, std::string* err) = 0;
};

#if defined(__GLIBCXX__) && !defined(_GLIBCXX_HAS_GTHREADS)
#define STRTAB2C_NO_THREADS 1  // MinGW's win32-thread compilers: every block written at once
#endif

class BlockWriter {
 public:
  static constexpr std::size_t kDefaultBuffer = std::size_t{1} << 20;
  // Small outputs touch little memory: their one buffer is at most this large.
  static constexpr std::size_t kStartBuffer = std::size_t{1} << 18;
  // A thread costs more than it saves on small outputs.
  static constexpr std::size_t kThreadAfter = std::size_t{8} << 20;
  static constexpr std::size_t kBuffers = 3;  // one rendered, one written, one queued

  // buffer_size is clamped to at least 64 bytes. Without memory for the first buffer the writer
  // starts failed: buffer() is null, capacity() 0, and finish() says why.
  explicit BlockWriter(OutputSink& sink, std::size_t buffer_size = kDefaultBuffer);
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;
  ~BlockWriter();

  // The buffer to render into and its size; valid until the next hand_over().
  char* buffer() const { return buffers_[current_].data.get(); }
  std::size_t capacity() const { return buffers_[current_].size; }
  // Hands over the first used bytes of the buffer; a fresh buffer() follows. False once any
  // write failed: nothing more is written then.
  bool hand_over(std::size_t used);
  bool ok() const { return ok_; }
  // Waits until everything handed over is written; false when any write failed, with *err
  // saying why.
  bool finish(std::string* err);

 private:
  struct Buffer {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::size_t used = 0;  // of a block handed over
  };
  // Past kThreadAfter: the writer thread and the larger buffers, where they can be had.
  void start_thread();
  void write_queued();
  bool wait_until_queued_at_most(std::size_t pending);

  OutputSink& sink_;
  const std::size_t full_size_;
  Buffer buffers_[kBuffers];
  std::size_t current_ = 0;
  std::size_t written_ = 0;  // bytes handed over so far
  bool ok_ = true;           // the renderer's view: no write failed so far
  bool threaded_ = false;
  std::string error_;  // why the first failed write failed (the writer thread's, under mutex_)
#ifndef STRTAB2C_NO_THREADS
  std::thread writer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Buffer*> queue_;  // oldest first; the front one is being written
  bool queue_ok_ = true;       // every queued block so far was written whole
  bool stopping_ = false;
#endif
};

}  // namespace strtab2c
