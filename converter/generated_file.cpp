#include "generated_file.hpp"

namespace strtab2c {

GeneratedFile::~GeneratedFile() {
  file_.close();
  if (!temp_path_.empty() && !committed_) remove_file(temp_path_);
}

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
  if (!file_) temp_path_.clear();
  return static_cast<bool>(file_);
}

bool GeneratedFile::commit() {
  committed_ = replace_file(temp_path_, path_);
  return committed_;
}

}  // namespace strtab2c
