#include "generated_file.hpp"

#include <algorithm>
#include <cerrno>

#include "naming.hpp"

namespace strtab2c {

GeneratedFile::~GeneratedFile() {
  std::string ignored;
  close(&ignored);
  if (!temp_path_.empty() && !committed_) remove_file(temp_path_);
  forget_file(cleanup_slot_);
}

bool GeneratedFile::write(const char* data, std::size_t size, std::string* err) {
  if (std::fwrite(data, 1, size, file_.get()) == size) return true;
  *err = reason(path_);
  return false;
}

bool GeneratedFile::close(std::string* err) {
  if (!file_ || file_.close()) return true;
  *err = reason(path_);
  return false;
}

bool GeneratedFile::open(const std::string& path, std::string* err) {
  if (is_directory(path)) {  // the rename at the end would fail: say so before any work
    *err = reason(path, error_text(EISDIR));
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
    *err = reason(temp_path_);
    temp_path_.clear();
    return false;
  }
  std::setvbuf(file_.get(), nullptr, _IONBF, 0);  // the writer hands over large blocks
  cleanup_slot_ = remove_if_interrupted(temp_path_);
  return true;
}

bool GeneratedFile::commit(std::string* err) {
  committed_ = replace_file(temp_path_, path_);
  if (!committed_) {
    *err = reason(path_);
    return false;
  }
  forget_file(cleanup_slot_);
  return true;
}

}  // namespace strtab2c
