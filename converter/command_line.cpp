#include "command_line.hpp"

namespace strtab2c {

CommandLine parse_command_line(const std::vector<std::string>& args, PathStyle style) {
  CommandLine line;
  if (style == PathStyle::kWindows && args.size() == 1 && args[0] == "/?") {
    line.action = CommandLine::Action::kHelp;
    return line;
  }
  std::vector<std::string> paths;
  bool options_end = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_end || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      paths.push_back(arg);
    } else if (arg == "--") {
      options_end = true;
    } else if (arg == "--help") {
      line.action = CommandLine::Action::kHelp;
      return line;
    } else if (arg == "--version") {
      line.action = CommandLine::Action::kVersion;
      return line;
    } else if (arg == "--portable-c") {
      line.options.portable_c = true;
    } else if (arg == "--const-table") {
      line.options.const_table = true;
    } else if (arg == "--lengths") {
      line.options.lengths = true;
    } else if (arg == "--string-literals") {
      line.options.string_literals = true;
    } else if (arg == "--attribute-macros") {
      line.options.attribute_macros = true;
    } else if (arg == "--replace-include") {
      line.replace_include = true;
    } else if (arg == "--strict") {
      line.strict = true;
    } else if (arg == "--log" && i + 1 < args.size()) {
      line.log_path = args[++i];
    } else if (arg.compare(0, 6, "--log=") == 0 && arg.size() > 6) {
      line.log_path = arg.substr(6);
    } else if (paths.size() >= 2) {
      paths.push_back(arg);  // after both paths nothing is taken for one: ignored like the rest
    } else if (line.unknown_option.empty()) {
      line.unknown_option = arg;
    }
  }
  if (!line.unknown_option.empty() || paths.size() < 2) return line;
  line.action = CommandLine::Action::kConvert;
  line.input_path = paths[0];
  line.include_path = paths[1];
  line.ignored.assign(paths.begin() + 2, paths.end());
  return line;
}

}  // namespace strtab2c
