#include "include_file.hpp"

#include "naming.hpp"

namespace strtab2c {

bool IncludeTarget::is(std::FILE* other) const {
  FileId id;
  return file_id(other, &id) && is(id);  // a pipe has no identity: it is no file of ours
}

bool IncludeFile::open(std::string* err) {
  file_ = File::open(path(), "a+");
  if (!file_) {
    *err = reason(path());
    return false;
  }
  // Unbuffered, so a failed write leaves nothing in a buffer for the close to write later.
  std::setvbuf(file_.get(), nullptr, _IONBF, 0);
  return true;
}

bool IncludeFile::is(const FileId& other) const {
  FileId id;
  return !file_id(file_.get(), &id) || id == other;
}

bool IncludeFile::add(const std::string& text, std::string* err) {
  std::FILE* f = file_.get();
  if (!lock_file(f)) {
    *err = reason(path());
    return false;
  }
  std::uint64_t length = 0;
  bool ok = std::fseek(f, 0, SEEK_END) == 0 && tell_file(f, &length);
  if (ok) {
    cut_back_if_interrupted(f, length);
    ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0;
    if (!ok) {
      *err = reason(path());
      std::clearerr(f);
      truncate_file(f, length);
    }
    cut_back_if_interrupted(nullptr, 0);
  } else {
    *err = reason(path());
  }
  unlock_file(f);
  return ok;
}

bool IncludeFile::close(std::string* err) {
  if (file_.close()) return true;
  *err = reason(path());
  return false;
}

bool ReplacedInclude::is(const FileId& other) const {
  FileId id;
  const PathState state = path_id(path(), &id);
  return state == PathState::kUnknown || (state == PathState::kFound && id == other);
}

bool ReplacedInclude::add(const std::string& text, std::string* err) {
  std::string bytes;
  for (char c : text) {
    if (c == '\n' && kNativePaths == PathStyle::kWindows) bytes += '\r';  // as text mode does
    bytes += c;
  }
  return file_.write(bytes.data(), bytes.size(), err) && file_.close(err) && file_.commit(err);
}

std::unique_ptr<IncludeTarget> open_include(const std::string& path, bool replace,
                                            std::string* err) {
  if (replace) {
    auto file = std::make_unique<ReplacedInclude>(path);
    if (file->open(err)) return file;
  } else {
    auto file = std::make_unique<IncludeFile>(path);
    if (file->open(err)) return file;
  }
  return nullptr;
}

const std::string* overwritten_input(const std::string& out_path, const IncludeTarget& include,
                                     std::FILE* input, const std::string& input_path) {
  FileId out;
  const PathState state = path_id(out_path, &out);
  if (state == PathState::kMissing) return nullptr;
  if (state == PathState::kUnknown || include.is(out)) return &include.path();
  FileId id;
  if (file_id(input, &id) && id == out) return &input_path;  // a pipe has none: no victim
  return nullptr;
}

}  // namespace strtab2c
