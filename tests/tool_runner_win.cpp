// Starting and collecting the tool on Windows: CreateProcessW with a properly quoted command line.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

#include "platform.hpp"
#include "tool_runner.hpp"

namespace testing_support {

namespace {

std::wstring widen(const std::string& text) { return strtab2c::to_utf16(text); }

// One argument as the C runtime's parser reads it back: quoted, with backslashes doubled only
// where a quote follows them.
std::wstring quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

HANDLE inheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  return CreateFileW(widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool running_as_root() { return false; }
bool make_fifo(const std::string&) { return false; }
bool under_wine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

namespace {
std::map<std::string, HANDLE> held;
}

bool hold_file(const std::string& path) {
  HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  held[path] = h;
  return true;
}

void release_file(const std::string& path) {
  CloseHandle(held[path]);
  held.erase(path);
}

struct Process::Impl {
  PROCESS_INFORMATION pi = {};
};

Process::Process(const Scratch& scratch, const std::vector<std::string>& args,
                 const RunOptions& options)
    : scratch_(scratch), options_(options), impl_(new Impl) {
  static int serial = 0;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  char narrow[4 * MAX_PATH];
  WideCharToMultiByte(CP_UTF8, 0, temp, -1, narrow, sizeof narrow, nullptr, nullptr);
  const std::string id = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(serial++);
  out_file_ = std::string(narrow) + "strtab2c_out_" + id;
  err_file_ = std::string(narrow) + "strtab2c_err_" + id;
  std::wstring command = quote(widen(tool_path()));
  for (const auto& a : args) command += L" " + quote(widen(a));
  const std::string out_target = options.stdout_path.empty() ? out_file_ : options.stdout_path;
  HANDLE out = inheritable(out_target, GENERIC_WRITE, CREATE_ALWAYS);
  if (options.stdout_broken_pipe) {  // a pipe whose reader is gone
    CloseHandle(out);
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE reader = nullptr;
    if (!CreatePipe(&reader, &out, &sa, 0)) out = INVALID_HANDLE_VALUE;
    if (reader) CloseHandle(reader);
  }
  if (options.close_stdout) {  // started without a standard output at all
    CloseHandle(out);
    out = nullptr;
  }
  HANDLE err = inheritable(err_file_, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE in = inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = out;
  si.hStdError = err;
  // Under wine a start now and then fails while many processes start at once: try again.
  const std::wstring cwd = widen(scratch.dir() + "/" + options.cwd);
  bool started = false;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50 << attempt));
    started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, cwd.c_str(),
                             &si, &impl_->pi) != 0;
    if (!started) start_error_ = GetLastError();
  }
  if (!started) impl_->pi.hProcess = nullptr;
  if (out) CloseHandle(out);
  CloseHandle(err);
  CloseHandle(in);
}

Process::~Process() {
  if (impl_->pi.hProcess) {
    WaitForSingleObject(impl_->pi.hProcess, INFINITE);
    CloseHandle(impl_->pi.hProcess);
    CloseHandle(impl_->pi.hThread);
  }
}

RunResult Process::wait() {
  RunResult r;
  if (!impl_->pi.hProcess) {
    r.status = 122;  // could not start
    r.err = "could not start the tool: Windows error " + std::to_string(start_error_);
    return r;
  }
  if (!options_.kill_when_prefix.empty()) {
    while (WaitForSingleObject(impl_->pi.hProcess, 0) == WAIT_TIMEOUT) {
      if (kill_due()) {
        TerminateProcess(impl_->pi.hProcess, 137);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  WaitForSingleObject(impl_->pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(impl_->pi.hProcess, &code);
  CloseHandle(impl_->pi.hProcess);
  CloseHandle(impl_->pi.hThread);
  impl_->pi.hProcess = nullptr;
  r.status = static_cast<int>(code & 0xff);  // as a shell shows it: -1 is 255
  r.out = take_file(out_file_);
  r.err = take_file(err_file_);
  r.lines = split_lines(r.out);
  return r;
}

}  // namespace testing_support
