#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "platform.hpp"

namespace strtab2c {

static_assert(sizeof(off_t) == 8, "build with 64-bit file offsets");

bool seek_file(std::FILE* file, std::uint64_t pos) {
  return fseeko(file, static_cast<off_t>(pos), SEEK_SET) == 0;
}

bool tell_file(std::FILE* file, std::uint64_t* pos) {
  const off_t at = ftello(file);
  if (at < 0) return false;
  *pos = static_cast<std::uint64_t>(at);
  return true;
}

bool truncate_file(std::FILE* file, std::uint64_t size) {
  return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

bool same_file(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace strtab2c
