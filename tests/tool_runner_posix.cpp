// Starting and collecting the tool on POSIX.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "tool_runner.hpp"

namespace testing_support {

struct Process::Impl {
  pid_t pid = -1;
};

Process::Process(const Scratch& scratch, const std::vector<std::string>& args,
                 const RunOptions& options)
    : scratch_(scratch), options_(options), impl_(new Impl) {
  static int serial = 0;
  const std::string id = std::to_string(getpid()) + "_" + std::to_string(serial++);
  out_file_ = "/tmp/strtab2c_out_" + id;
  err_file_ = "/tmp/strtab2c_err_" + id;
  std::vector<std::string> argv = {tool_path()};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string out_target = options.stdout_path.empty() ? out_file_ : options.stdout_path;
  const std::string cwd = scratch.dir() + "/" + options.cwd;
  impl_->pid = fork();
  if (impl_->pid != 0) return;
  // The child: nothing here may allocate after fork in a way that can deadlock; all is ready.
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(&a[0]);
  cargv.push_back(nullptr);
  const int out = open(out_target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(err_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int null = open("/dev/null", O_RDONLY);
  if (out < 0 || err < 0 || null < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || dup2(null, 0) < 0 ||
      chdir(cwd.c_str()) != 0) {
    _exit(121);
  }
  if (options.close_stdout) close(1);
  int ends[2];
  if (options.stdout_broken_pipe &&
      (pipe(ends) != 0 || dup2(ends[1], 1) < 0 || close(ends[0]) != 0)) {
    _exit(123);
  }
  if (options.memory_limit >= 0) {
    struct rlimit lim;
    lim.rlim_cur = lim.rlim_max = static_cast<rlim_t>(options.memory_limit);
    setrlimit(RLIMIT_AS, &lim);
  }
  if (options.file_size_limit >= 0) {
    struct rlimit lim;
    lim.rlim_cur = lim.rlim_max = static_cast<rlim_t>(options.file_size_limit);
    setrlimit(RLIMIT_FSIZE, &lim);
  }
  for (int sig : {SIGPIPE, SIGXFSZ, SIGINT, SIGTERM, SIGHUP}) {
    std::signal(sig, SIG_DFL);  // as a shell leaves them: the tool must cope itself
  }
  execv(cargv[0], cargv.data());
  _exit(122);
}

bool running_as_root() { return geteuid() == 0; }
bool under_wine() { return false; }
bool make_fifo(const std::string& path) { return mkfifo(path.c_str(), 0644) == 0; }

bool hold_file(const std::string& path) {
  return std::system(("chattr +i '" + path + "' 2>/dev/null").c_str()) == 0;
}

void release_file(const std::string& path) {
  if (std::system(("chattr -i '" + path + "' 2>/dev/null").c_str()) != 0) return;
}

Process::~Process() {
  if (impl_->pid > 0) waitpid(impl_->pid, nullptr, 0);
}

RunResult Process::wait() {
  int wstatus = 0;
  if (!options_.kill_when_prefix.empty()) {
    for (;;) {
      if (kill_due()) {
        if (options_.shrink_path.empty()) {
          kill(impl_->pid, options_.kill_signal);
          break;
        }
        // Cut the input short while the tool stands still, then let it finish.
        kill(impl_->pid, SIGSTOP);
        const std::string path = scratch_.path(options_.shrink_path);
        struct stat st;
        if (stat(path.c_str(), &st) == 0) {
          const off_t size = st.st_size - static_cast<off_t>(options_.shrink_by);
          if (truncate(path.c_str(), size) != 0) std::perror("truncate");
        }
        kill(impl_->pid, SIGCONT);
        break;
      }
      if (waitpid(impl_->pid, &wstatus, WNOHANG) == impl_->pid) {
        impl_->pid = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  if (impl_->pid > 0) waitpid(impl_->pid, &wstatus, 0);
  impl_->pid = -1;
  RunResult r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  r.out = take_file(out_file_);
  r.err = take_file(err_file_);
  r.lines = split_lines(r.out);
  return r;
}

}  // namespace testing_support
