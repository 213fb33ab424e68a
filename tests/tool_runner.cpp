#include "tool_runner.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::vector<std::string> tool_command() {
  if (windows_tool()) {
    std::string wine = env("STRTAB2C_WINE");
    return {wine.empty() ? "/usr/lib/wine/wine64" : wine, env("STRTAB2C_WINDOWS_EXE")};
  }
  return {STRTAB2C_TOOL_PATH};
}

}  // namespace

bool windows_tool() { return !env("STRTAB2C_WINDOWS_EXE").empty(); }
const char* platform_eol() { return windows_tool() ? "\r\n" : "\n"; }

Scratch::Scratch() {
  std::string tmpl = (env("TMPDIR").empty() ? "/tmp" : env("TMPDIR")) + "/strtab2c_XXXXXX";
  if (!mkdtemp(&tmpl[0])) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
}

Scratch::~Scratch() {
  const std::string cmd = "chmod -R u+w '" + dir_ + "' 2>/dev/null; rm -rf '" + dir_ + "'";
  if (std::system(cmd.c_str()) != 0) std::abort();
}

void Scratch::write(const std::string& rel, const std::string& bytes) const {
  std::ofstream(path(rel), std::ios::binary) << bytes;
}

std::string Scratch::read(const std::string& rel) const {
  std::ifstream in(path(rel), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Scratch::exists(const std::string& rel) const {
  struct stat st;
  return lstat(path(rel).c_str(), &st) == 0;
}

void Scratch::mkdir(const std::string& rel) const {
  const std::string cmd = "mkdir -p '" + path(rel) + "'";
  if (std::system(cmd.c_str()) != 0) throw std::runtime_error("mkdir failed");
}

RunResult Scratch::run(const std::vector<std::string>& args, const RunOptions& options) const {
  std::vector<std::string> argv = tool_command();
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string out_file = dir_ + "/.stdout", err_file = dir_ + "/.stderr";
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(&a[0]);
    cargv.push_back(nullptr);
    const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(dir_.c_str()) != 0) {
      _exit(121);
    }
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, 0);
    setenv("WINEDEBUG", "-all", 1);
    if (options.file_size_limit >= 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      struct rlimit lim;
      lim.rlim_cur = lim.rlim_max = static_cast<rlim_t>(options.file_size_limit);
      setrlimit(RLIMIT_FSIZE, &lim);
    }
    execv(cargv[0], cargv.data());
    _exit(122);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  RunResult r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  r.out = read(".stdout");
  r.err = read(".stderr");
  std::remove(out_file.c_str());
  std::remove(err_file.c_str());
  const std::string eol = platform_eol();
  std::size_t at = 0;
  while (at < r.out.size()) {
    std::size_t end = r.out.find(eol, at);
    if (end == std::string::npos) {
      r.lines.push_back(r.out.substr(at) + "<no line end>");
      break;
    }
    r.lines.push_back(r.out.substr(at, end - at));
    at = end + eol.size();
  }
  return r;
}

}  // namespace testing_support
