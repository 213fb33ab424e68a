#include <io.h>
#include <windows.h>

#include "platform.hpp"

namespace strtab2c {

bool seek_file(std::FILE* file, std::uint64_t pos) {
  return _fseeki64(file, static_cast<__int64>(pos), SEEK_SET) == 0;
}

bool tell_file(std::FILE* file, std::uint64_t* pos) {
  const __int64 at = _ftelli64(file);
  if (at < 0) return false;
  *pos = static_cast<std::uint64_t>(at);
  return true;
}

bool truncate_file(std::FILE* file, std::uint64_t size) {
  return _chsize_s(_fileno(file), static_cast<__int64>(size)) == 0;
}

namespace {

bool file_identity(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  // No access rights needed to query identity; share everything so open handles don't interfere.
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(h, info) != 0;
  CloseHandle(h);
  return ok;
}

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!file_identity(a, &ia) || !file_identity(b, &ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

}  // namespace strtab2c
