// The portable half of the runner: runs in a scratch directory and captured output.
#include "tool_runner.hpp"

#include <filesystem>

namespace testing_support {

namespace fs = std::filesystem;

std::string tool_path() { return STRTAB2C_TOOL_PATH; }

RunResult ToolDir::run(const std::vector<std::string>& args) const {
  return run(args, RunOptions{});
}

RunResult ToolDir::run(const std::vector<std::string>& args, const RunOptions& options,
                       const std::string& cwd) const {
  RunOptions o = options;
  o.cwd = cwd;
  return Process(*this, args, o).wait();
}

bool Process::kill_due() const {
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(scratch_.dir(), ec)) {
    if (e.path().filename().u8string().rfind(options_.kill_when_prefix, 0) == 0 &&
        e.file_size(ec) >= options_.kill_at_size && !ec) {
      return true;
    }
  }
  return false;
}

std::string take_file(const std::string& path) {
  std::string text = read_file(path);
  std::error_code ec;
  fs::remove(fs::u8path(path), ec);
  return text;
}

std::vector<std::string> split_lines(const std::string& out) {
  std::vector<std::string> lines;
  const std::string eol = kEol;
  std::size_t at = 0;
  while (at < out.size()) {
    const std::size_t end = out.find(eol, at);
    if (end == std::string::npos) {
      lines.push_back(out.substr(at) + "<no line end>");
      break;
    }
    lines.push_back(out.substr(at, end - at));
    at = end + eol.size();
  }
  return lines;
}

}  // namespace testing_support
