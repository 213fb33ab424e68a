// strtab2c: turns a string resource file into a C source file of byte arrays and appends the
// matching declarations to a shared header.
//
//   strtab2c [options] [--] <string resource file> <include file> [ignored...]
//
// Prints progress and errors on stdout; exits 0 on success, -1 on failure. The run below is its
// steps in order; every failure ends it with one line and -1.
#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_line.hpp"
#include "convert.hpp"
#include "generated_file.hpp"
#include "include_file.hpp"
#include "messages.hpp"
#include "naming.hpp"
#include "platform.hpp"
#include "res_file.hpp"

using namespace strtab2c;

namespace {

int run(int argc, char** argv) {
  // One "text len" line per string: keep stdout block-buffered, whatever it is connected to.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  std::vector<std::string> args = utf8_arguments(argc, argv);
  args.erase(args.begin());
  const CommandLine line = parse_command_line(args);
  if (line.action == CommandLine::Action::kVersion) {
    std::printf(msg::kVersion, STRTAB2C_VERSION);
    return stdout_ok() ? 0 : -1;
  }
  if (line.action == CommandLine::Action::kHelp) {
    std::fputs(msg::kUsage, stdout);
    return stdout_ok() ? 0 : -1;
  }
  if (!line.unknown_option.empty()) note_unknown_option(line.unknown_option);
  if (line.action != CommandLine::Action::kConvert) return fail(msg::kIllegalParams);
  if (!line.ignored.empty()) note_ignored(line.ignored);
  const std::string& input_path = line.input_path;
  const std::string& include_path = line.include_path;
  if (!line.log_path.empty() && !print_to_log(line.log_path, input_path)) return -1;
  const OutputNames names = derive_output_names(input_path, include_path);
  if (has_control_character(names.vname)) {
    return fail(msg::kControlCharacter, printable(input_path).c_str());
  }

  IncludeFile include;
  if (!include.open(include_path, line.replace_include)) {
    return fail_open(msg::kOpenInclude, include_path);
  }
  std::printf(msg::kTraceWithArg, __FILE__, __LINE__, input_path.c_str());

  File input = File::open(input_path, "rb");
  if (!input) return fail_open(msg::kOpenInput, input_path);
  std::printf(msg::kTrace, __FILE__, __LINE__);
  if (include.is(input.get())) {
    return fail(msg::kIncludeIsInput, include_path.c_str(), input_path.c_str());
  }

  InputBytes bytes;
  if (!bytes.load(input.get())) {
    return fail(msg::kReadFailed, input_path.c_str(), last_error_text().c_str());
  }
  const std::string_view file = bytes.view();
  res_head head;
  if (!check_res_head(file, &head)) {
    return fail(msg::kUnsupportedEncoding, static_cast<int>(head.encoding()));
  }
  std::printf(msg::kTrace, __FILE__, __LINE__);

  const bool has_separator = names.name_separator != OutputNames::kNoSeparator;
  std::printf(msg::kOff, has_separator ? static_cast<const void*>(&input_path[names.name_separator])
                                       : static_cast<const void*>(nullptr));
  std::printf(msg::kVname, names.vname.c_str());
  std::printf(msg::kTrace, __FILE__, __LINE__);
  std::printf(msg::kOutpath, names.out_path.c_str());

  if (const std::string* victim =
          overwritten_input(names.out_path, include, include_path, input.get(), input_path)) {
    return fail(msg::kWouldOverwrite, names.out_path.c_str(), victim->c_str());
  }
  GeneratedFile output;
  std::string failed_path;
  if (!output.open(names.out_path, &failed_path)) {
    return fail_open(msg::kOpenOutput, names.out_path, failed_path);
  }
  std::printf(msg::kTraceWithOutput, __FILE__, __LINE__, names.out_path.c_str());

  const std::string stem = upper_stem(names.vname);
  PrintedDiagnostics diagnostics;
  const bool written =
      write_source(file, head.count(), stem, output, diagnostics, line.options, bytes.mapping());
  diagnostics.flush();
  if (!written || !output.close()) return fail(msg::kWriteFailed, names.out_path.c_str());
  if (!bytes.intact()) return fail(msg::kReadFailed, input_path.c_str(), msg::kInputShrank);
  if (line.strict && diagnostics.findings() > 0) {
    return fail(msg::kStrictFindings, input_path.c_str());
  }
  if (!stdout_ok()) return -1;
  if (!output.commit()) return fail(msg::kReplaceFailed, names.out_path.c_str());
  if (!include.append(declarations(stem, line.options))) {
    return fail(msg::kWriteFailed, include_path.c_str());
  }
  input.close();
  if (!include.close()) return fail(msg::kWriteFailed, include_path.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  prepare_process();
  // Memory or a system resource that cannot be had ends the run like any other failure: the
  // files' owners clean up as the stack unwinds.
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    return fail(msg::kOutOfMemory);
  } catch (const std::length_error&) {
    return fail(msg::kOutOfMemory);
  } catch (const std::exception& e) {
    return fail(msg::kSystemError, e.what());
  }
}
