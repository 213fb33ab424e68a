// The command line: two paths, the tool's options wherever they stand, "--" to end them.
#pragma once

#include <string>
#include <vector>

#include "naming.hpp"
#include "source_writer.hpp"

namespace strtab2c {

struct CommandLine {
  enum class Action { kConvert, kHelp, kVersion, kIllegal };
  Action action = Action::kIllegal;
  SourceOptions options;
  // For build systems: the include file replaced by this run's declarations instead of
  // appended to (a fragment of its own per table); the reader's findings failing the run; the
  // progress lines in a log file, so that the build shows only findings and failures.
  bool replace_include = false;
  bool strict = false;
  std::string log_path;
  std::string input_path;
  std::string include_path;
  // Arguments after the second path that are no option of the tool: they change nothing, but
  // most often they are a path with a blank that lost its quotes, so the run names them.
  std::vector<std::string> ignored;
  // An argument before the second path that looks like an option and is none of the tool's
  // (kIllegal): a misspelt option taken for the include file would create a file of that name.
  std::string unknown_option;
};

// args without the program's name. Options are the arguments before "--" that begin with "--"
// (--log takes the next argument, or --log=<file>); every other argument is a path, and so is an
// unknown option after the second path (ignored with the rest). --help and --version answer
// wherever they stand, "/?" (Windows style) only alone.
CommandLine parse_command_line(const std::vector<std::string>& args,
                               PathStyle style = kNativePaths);

}  // namespace strtab2c
