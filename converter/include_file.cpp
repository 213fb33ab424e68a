#include "include_file.hpp"

#include "naming.hpp"

namespace strtab2c {

bool IncludeFile::open(const std::string& path, bool replace) {
  path_ = path;
  replace_ = replace;
  if (replace) return replacement_.open(path);
  file_ = File::open(path, "a+");
  // Unbuffered, so a failed write leaves nothing in a buffer for the close to write later.
  if (file_) std::setvbuf(file_.get(), nullptr, _IONBF, 0);
  return static_cast<bool>(file_);
}

bool IncludeFile::is(const FileId& other) const {
  FileId id;
  if (replace_) {
    const PathState state = path_id(path_, &id);
    return state == PathState::kUnknown || (state == PathState::kFound && id == other);
  }
  return !file_id(file_.get(), &id) || id == other;
}

bool IncludeFile::is(std::FILE* other) const {
  FileId id;
  return file_id(other, &id) && is(id);  // a pipe has no identity: it is no file of ours
}

const std::string* overwritten_input(const std::string& out_path, const IncludeFile& include,
                                     const std::string& include_path, std::FILE* input,
                                     const std::string& input_path) {
  FileId out;
  const PathState state = path_id(out_path, &out);
  if (state == PathState::kMissing) return nullptr;
  if (state == PathState::kUnknown || include.is(out)) return &include_path;
  FileId id;
  if (file_id(input, &id) && id == out) return &input_path;  // a pipe has none: no victim
  return nullptr;
}

bool IncludeFile::append(const std::string& text) {
  if (replace_) {
    std::string bytes;
    for (char c : text) {
      if (c == '\n' && kNativePaths == PathStyle::kWindows) bytes += '\r';  // as text mode does
      bytes += c;
    }
    return replacement_.write(bytes.data(), bytes.size()) && replacement_.close() &&
           replacement_.commit();
  }
  std::FILE* f = file_.get();
  if (!lock_file(f)) return false;
  std::uint64_t length = 0;
  bool ok = std::fseek(f, 0, SEEK_END) == 0 && tell_file(f, &length);
  if (ok) {
    cut_back_if_interrupted(f, length);
    ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0;
    if (!ok) {
      std::clearerr(f);
      truncate_file(f, length);
    }
    cut_back_if_interrupted(nullptr, 0);
  }
  unlock_file(f);
  return ok;
}

}  // namespace strtab2c
