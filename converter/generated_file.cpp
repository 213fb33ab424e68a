#include "generated_file.hpp"

namespace strtab2c {

GeneratedFile::~GeneratedFile() {
  close();
  if (!temp_path_.empty() && !committed_) remove_file(temp_path_);
}

bool GeneratedFile::write(const char* data, std::size_t size) {
  return std::fwrite(data, 1, size, file_.get()) == size;
}

bool GeneratedFile::close() {
#ifndef STRTAB2C_NO_THREADS
  stop_writer();
#endif
  return file_.close();
}

#ifndef STRTAB2C_NO_THREADS
bool GeneratedFile::start(const char* data, std::size_t size) {
  // A small file is written at once: a thread would cost more than it saves.
  if (!writer_.joinable() && written_ < kThreadAfter) {
    written_ += size;
    queue_ok_ = queue_ok_ && write(data, size);
    return false;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  if (!writer_.joinable()) {
    writer_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      for (;;) {
        changed_.wait(lock, [this] { return !queue_.empty() || stopping_; });
        if (queue_.empty()) return;
        const Block block = queue_.front();  // stays queued until written: finish() counts it
        const bool go_on = queue_ok_;        // after a failed write, the rest is dropped
        lock.unlock();
        const bool ok = go_on && write(block.data, block.size);
        lock.lock();
        queue_ok_ = ok;
        queue_.pop_front();
        changed_.notify_all();
      }
    });
  }
  queue_.push_back(Block{data, size});
  changed_.notify_all();
  return true;
}

bool GeneratedFile::finish(std::size_t pending) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this, pending] { return queue_.size() <= pending; });
  return queue_ok_;
}

void GeneratedFile::stop_writer() {
  if (!writer_.joinable()) return;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty(); });
    stopping_ = true;
    changed_.notify_all();
  }
  writer_.join();
}
#endif

bool GeneratedFile::open(const std::string& path) {
  if (is_directory(path)) return false;
  path_ = path;
  // The process id keeps runs into one directory apart; the counter, a stale file of a killed run
  // whose id came round again.
  const std::string base = path + "." + std::to_string(process_id());
  for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
    temp_path_ = base + (attempt ? "-" + std::to_string(attempt) : "") + ".tmp";
    file_ = File(create_new_file(temp_path_));
  }
  if (!file_) {
    temp_path_.clear();
    return false;
  }
  std::setvbuf(file_.get(), nullptr, _IONBF, 0);  // the writer hands over large blocks
  return true;
}

bool GeneratedFile::commit() {
  committed_ = replace_file(temp_path_, path_);
  return committed_;
}

}  // namespace strtab2c
