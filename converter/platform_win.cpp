#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform.hpp"

namespace strtab2c {

std::wstring to_utf16(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

namespace {

// UTF-8 in, UTF-16 out; paths near or past MAX_PATH get the \\?\ form, which the file APIs take
// up to 32767 characters whatever the system's long-path setting.
std::wstring native(const std::string& path) {
  std::wstring wide = to_utf16(path);
  if (wide.size() < 240 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return wide;
  std::wstring full(n, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), n, &full[0], nullptr));
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string narrow(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], n, nullptr, nullptr);
  return text;
}

// What an interrupted run cleans up. The console's handler runs on a thread of its own, beside
// the run: the lock keeps registration and cleanup apart.
constexpr int kCleanupSlots = 4;
std::wstring cleanup_paths[kCleanupSlots];
bool cleanup_used[kCleanupSlots] = {};
int append_fd = -1;
std::uint64_t append_length = 0;
SRWLOCK cleanup_lock = SRWLOCK_INIT;  // usable before prepare_process(), as in the tests

BOOL WINAPI on_console_event(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  AcquireSRWLockExclusive(&cleanup_lock);
  // create_new_file() shares its files for deletion: an open one goes when the process ends.
  for (int slot = 0; slot < kCleanupSlots; ++slot) {
    if (cleanup_used[slot]) DeleteFileW(cleanup_paths[slot].c_str());
  }
  if (append_fd >= 0) _chsize_s(append_fd, static_cast<__int64>(append_length));
  // The lock stays taken, so the run registers nothing more; the default handler ends the
  // process as interrupted.
  return FALSE;
}

// The errno codes of the Windows errors that callers tell apart.
int errno_of(DWORD error) {
  switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    default:
      return EACCES;
  }
}

UINT saved_output_cp = 0;
void restore_console() { SetConsoleOutputCP(saved_output_cp); }

}  // namespace

int remove_if_interrupted(const std::string& path) {
  AcquireSRWLockExclusive(&cleanup_lock);
  int found = -1;
  for (int slot = 0; slot < kCleanupSlots && found < 0; ++slot) {
    if (!cleanup_used[slot]) {
      cleanup_paths[slot] = native(path);
      cleanup_used[slot] = true;
      found = slot;
    }
  }
  ReleaseSRWLockExclusive(&cleanup_lock);
  return found;
}

void forget_file(int slot) {
  if (slot < 0 || slot >= kCleanupSlots) return;
  AcquireSRWLockExclusive(&cleanup_lock);
  cleanup_used[slot] = false;
  ReleaseSRWLockExclusive(&cleanup_lock);
}

void cut_back_if_interrupted(std::FILE* file, std::uint64_t length) {
  AcquireSRWLockExclusive(&cleanup_lock);
  append_fd = file ? _fileno(file) : -1;
  append_length = length;
  ReleaseSRWLockExclusive(&cleanup_lock);
}

bool regular_file_size(std::FILE* file, std::uint64_t* size) {
  struct _stati64 st;
  if (_fstati64(_fileno(file), &st) != 0 || !(st.st_mode & _S_IFREG)) return false;
  *size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

void prepare_process() {
  SetConsoleCtrlHandler(on_console_event, TRUE);
  // A closed standard handle gives no descriptor for a later open to reuse, unlike POSIX; only the
  // console needs care: show the UTF-8 the tool prints as UTF-8 for the run.
  DWORD mode;
  if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
    saved_output_cp = GetConsoleOutputCP();
    if (saved_output_cp != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) std::atexit(restore_console);
  }
}

std::vector<std::string> utf8_arguments(int, char**) {
  // argv is in the ANSI code page, which may not hold every character of a path.
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; wide && i < argc; ++i) args.push_back(narrow(wide[i]));
  LocalFree(wide);
  return args;
}

std::FILE* output_stream() {
  // Started without a standard output (no handle at all), the C runtime's stdout fails every
  // write and cannot be reopened: the lines go to NUL instead, as they go to /dev/null on POSIX.
  static std::FILE* const out = [] {
    const HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
    const bool missing = _fileno(stdout) < 0 || h == nullptr || h == INVALID_HANDLE_VALUE;
    std::FILE* nul = missing ? _wfopen(L"NUL", L"w") : nullptr;
    return nul ? nul : stdout;
  }();
  return out;
}

std::FILE* open_file(const std::string& path, const char* mode) {
  return _wfopen(native(path).c_str(), to_utf16(mode).c_str());
}

std::FILE* create_new_file(const std::string& path) {
  // Shared for deletion, so that an interruption can remove it while it is still open.
  const HANDLE h =
      CreateFileW(native(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    errno = errno_of(GetLastError());
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (!file) _close(fd);
  return file;
}

bool replace_file(const std::string& from, const std::string& to) {
  if (MoveFileExW(native(from).c_str(), native(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  errno = errno_of(GetLastError());
  return false;
}

bool remove_file(const std::string& path) { return DeleteFileW(native(path).c_str()) != 0; }

bool is_directory(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(native(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::size_t name_max(const std::string&) { return MAX_PATH - 5; }  // 255 on NTFS, FAT and ReFS

static bool handle_id(HANDLE handle, FileId* id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  id->device = info.dwVolumeSerialNumber;
  id->index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

bool file_id(std::FILE* file, FileId* id) {
  return handle_id(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), id);
}

PathState path_id(const std::string& path, FileId* id) {
  // No access rights needed to ask; share everything so open handles don't interfere.
  HANDLE h = CreateFileW(
      native(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathState::kMissing
                                                                          : PathState::kUnknown;
  }
  const bool ok = handle_id(h, id);
  CloseHandle(h);
  return ok ? PathState::kFound : PathState::kUnknown;
}

bool truncate_file(std::FILE* file, std::uint64_t size) {
  return _chsize_s(_fileno(file), static_cast<__int64>(size)) == 0;
}

bool tell_file(std::FILE* file, std::uint64_t* pos) {
  const __int64 at = _ftelli64(file);
  if (at < 0) return false;
  *pos = static_cast<std::uint64_t>(at);
  return true;
}

bool lock_file(std::FILE* file) {
  OVERLAPPED whole = {};
  return LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))),
                    LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) != 0;
}

void unlock_file(std::FILE* file) {
  OVERLAPPED whole = {};
  UnlockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), 0, MAXDWORD, MAXDWORD,
               &whole);
}

// A mapped file cannot shrink on Windows, but reading it whole serves as well there.
bool MappedFile::map(std::FILE*) { return false; }
bool MappedFile::truncated() const { return false; }
bool MappedFile::copy(std::uint64_t, std::size_t, char*) const { return false; }
MappedFile::~MappedFile() = default;

std::string last_error_text() {
  // The C runtime reports a write into a pipe whose reader is gone as EINVAL; say what happened.
  const DWORD error = GetLastError();
  if (errno == EINVAL && (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE)) {
    return std::strerror(EPIPE);
  }
  return std::strerror(errno);
}
std::string error_text(int code) { return std::strerror(code); }
unsigned long process_id() { return GetCurrentProcessId(); }

}  // namespace strtab2c
