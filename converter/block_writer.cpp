#include "block_writer.hpp"

#include <algorithm>
#include <cerrno>
#include <new>
#include <system_error>

#include "platform.hpp"

namespace strtab2c {

namespace {

bool allocate(std::size_t size, std::unique_ptr<char[]>* data) {
  data->reset(new (std::nothrow) char[size]);
  return *data != nullptr;
}

}  // namespace

BlockWriter::BlockWriter(OutputSink& sink, std::size_t buffer_size)
    : sink_(sink), full_size_(std::max<std::size_t>(buffer_size, 64)) {
  // The first buffer is all a small output needs; without it there is nothing to render into.
  Buffer& first = buffers_[0];
  first.size = std::min(full_size_, kStartBuffer);
  if (!allocate(first.size, &first.data)) {
    first.size = 0;
    ok_ = false;
    error_ = error_text(ENOMEM);
  }
}

BlockWriter::~BlockWriter() {
#ifndef STRTAB2C_NO_THREADS
  if (writer_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    writer_.join();
  }
#endif
}

bool BlockWriter::hand_over(std::size_t used) {
  if (!ok_ || used == 0) return ok_;
  written_ += used;
  if (!threaded_) {
    ok_ = sink_.write(buffer(), used, &error_);
    if (ok_ && written_ >= kThreadAfter) start_thread();
    return ok_;
  }
#ifndef STRTAB2C_NO_THREADS
  Buffer& full = buffers_[current_];
  full.used = used;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(&full);
  }
  changed_.notify_all();
  // Go on in the next buffer once the block started from it kBuffers - 1 hand-overs ago is
  // written: a queued block stays untouched until then.
  current_ = (current_ + 1) % kBuffers;
  ok_ = wait_until_queued_at_most(kBuffers - 1);
#endif
  return ok_;
}

bool BlockWriter::finish(std::string* err) {
#ifndef STRTAB2C_NO_THREADS
  if (threaded_) {
    ok_ = wait_until_queued_at_most(0) && ok_;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ok_) *err = error_;
    return ok_;
  }
#endif
  if (!ok_) *err = error_;
  return ok_;
}

void BlockWriter::start_thread() {
#ifndef STRTAB2C_NO_THREADS
  // Larger buffers hand over fewer blocks; where the memory is not there, the first one serves
  // alone and every block is written at once, as before.
  Buffer grown[kBuffers];
  for (Buffer& b : grown) {
    b.size = full_size_;
    if (!allocate(b.size, &b.data)) return;
  }
  try {
    writer_ = std::thread([this] { write_queued(); });
  } catch (const std::system_error&) {
    return;  // no thread to be had: write at once
  }
  for (std::size_t i = 0; i < kBuffers; ++i) buffers_[i] = std::move(grown[i]);
  current_ = 0;
  threaded_ = true;
#endif
}

#ifndef STRTAB2C_NO_THREADS
void BlockWriter::write_queued() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !queue_.empty() || stopping_; });
    if (queue_.empty()) return;
    Buffer* block = queue_.front();  // stays queued until written: the renderer counts it
    const bool go_on = queue_ok_;    // after a failed write, the rest is dropped
    lock.unlock();
    std::string why;
    const bool written = go_on && sink_.write(block->data.get(), block->used, &why);
    lock.lock();
    if (go_on && !written) error_ = why;
    queue_ok_ = written;
    queue_.pop_front();
    changed_.notify_all();
  }
}

bool BlockWriter::wait_until_queued_at_most(std::size_t pending) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this, pending] { return queue_.size() <= pending; });
  return queue_ok_;
}
#endif

}  // namespace strtab2c
