#include "generated_file.hpp"

#include <algorithm>
#include <cerrno>

#include "naming.hpp"

namespace strtab2c {

GeneratedFile::~GeneratedFile() {
  close();
  if (!temp_path_.empty() && !committed_) remove_file(temp_path_);
  forget_file(cleanup_slot_);
}

bool GeneratedFile::write(const char* data, std::size_t size) {
  return std::fwrite(data, 1, size, file_.get()) == size;
}

bool GeneratedFile::close() {
  if (!file_) return true;
  const bool ok = file_.close();
  // Closed now: an interruption removes it by name alone.
  forget_file(cleanup_slot_);
  cleanup_slot_ = remove_if_interrupted(temp_path_, nullptr);
  return ok;
}

bool GeneratedFile::open(const std::string& path, std::string* failed_path) {
  std::string unused;
  if (!failed_path) failed_path = &unused;
  *failed_path = path;
  if (is_directory(path)) {
    errno = EISDIR;  // no call failed: say why here
    return false;
  }
  path_ = path;
  const std::size_t dir_end = path.find_last_of("\\/");
  const std::size_t limit =
      name_max(dir_end == std::string::npos ? "." : path.substr(0, dir_end + 1));
  const std::size_t path_length = path.size();
  // The process id keeps runs into one directory apart; the counter, a stale file of a killed run
  // whose id came round again. A name cut to the final name's length fits where that one does,
  // should the whole path be what is too long.
  const std::string id = "." + std::to_string(process_id());
  for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
    const std::string suffix = id + (attempt ? "-" + std::to_string(attempt) : "") + ".tmp";
    temp_path_ = temporary_path(path, suffix, limit);
    file_ = File(create_new_file(temp_path_));
    const std::size_t excess = temp_path_.size() - std::min(temp_path_.size(), path_length);
    if (!file_ && errno == ENAMETOOLONG && excess > 0 && excess < limit) {
      temp_path_ = temporary_path(path, suffix, limit - excess);
      file_ = File(create_new_file(temp_path_));
    }
    if (!file_ && errno != EEXIST) break;
  }
  if (!file_) {
    *failed_path = temp_path_;
    temp_path_.clear();
    return false;
  }
  std::setvbuf(file_.get(), nullptr, _IONBF, 0);  // the writer hands over large blocks
  cleanup_slot_ = remove_if_interrupted(temp_path_, file_.get());
  return true;
}

bool GeneratedFile::commit() {
  committed_ = replace_file(temp_path_, path_);
  if (committed_) forget_file(cleanup_slot_);
  return committed_;
}

}  // namespace strtab2c
