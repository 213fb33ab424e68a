#include "include_file.hpp"

namespace strtab2c {

bool IncludeFile::open(const std::string& path) {
  file_ = File::open(path, "a+");
  // Unbuffered, so a failed write leaves nothing in a buffer for the close to write later.
  if (file_) std::setvbuf(file_.get(), nullptr, _IONBF, 0);
  return static_cast<bool>(file_);
}

bool IncludeFile::append(const std::string& text) {
  std::FILE* f = file_.get();
  if (!lock_file(f)) return false;
  std::uint64_t length = 0;
  bool ok = std::fseek(f, 0, SEEK_END) == 0 && tell_file(f, &length);
  if (ok) {
    ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0;
    if (!ok) {
      std::clearerr(f);
      truncate_file(f, length);
    }
  }
  unlock_file(f);
  return ok;
}

}  // namespace strtab2c
