// strtab2c: turns a string resource file into a C source file of byte arrays and appends the
// matching declarations to a shared header.
//
//   strtab2c [options] [--] <string resource file> <include file> [ignored...]
//
// Prints progress and errors on stdout; exits 0 on success, -1 on failure. The run below is its
// steps in order; every failure ends it through Reporter::fail, with one line and -1.
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
#include "reporter.hpp"
#include "res_file.hpp"

using namespace strtab2c;

namespace {

int run(Reporter& report, int argc, char** argv) {
  std::string err;
  std::vector<std::string> args = utf8_arguments(argc, argv);
  args.erase(args.begin());
  const CommandLine line = parse_command_line(args);
  if (line.action == CommandLine::Action::kVersion) report.print(msg::kVersion, STRTAB2C_VERSION);
  if (line.action == CommandLine::Action::kHelp) report.print("%s", msg::kUsage);
  if (line.action == CommandLine::Action::kVersion || line.action == CommandLine::Action::kHelp) {
    return report.output_ok(&err) ? 0 : report.fail({}, err);
  }
  if (!line.unknown_option.empty()) report.note_unknown_option(line.unknown_option);
  if (line.action != CommandLine::Action::kConvert) return report.fail(msg::kIllegalParams);
  if (!line.ignored.empty()) report.note_ignored(line.ignored);
  const std::string& input_path = line.input_path;
  const std::string& include_path = line.include_path;
  if (!line.log_path.empty() && !report.log_to(line.log_path, input_path, &err)) {
    return report.fail({}, err);
  }
  const OutputNames names = derive_output_names(input_path, include_path);
  if (has_control_character(names.vname)) {
    return report.fail(format(msg::kControlCharacter, printable(input_path).c_str()));
  }

  const std::unique_ptr<IncludeTarget> include =
      open_include(include_path, line.replace_include, &err);
  if (!include) return report.fail(format(msg::kOpenInclude, include_path.c_str()), err);
  report.print(msg::kTraceWithArg, __FILE__, __LINE__, input_path.c_str());

  File input = File::open(input_path, "rb");
  if (!input) {
    err = reason(input_path);  // before anything else can change errno
    return report.fail(format(msg::kOpenInput, input_path.c_str()), err);
  }
  report.print(msg::kTrace, __FILE__, __LINE__);
  if (include->is(input.get())) {
    return report.fail(format(msg::kIncludeIsInput, include_path.c_str(), input_path.c_str()));
  }

  InputBytes bytes;
  if (!bytes.load(input.get(), &err)) {
    return report.fail(format(msg::kReadFailed, input_path.c_str(), err.c_str()));
  }
  res_head head;
  if (!check_res_head(bytes.view(), &head)) {
    return report.fail(format(msg::kUnsupportedEncoding, static_cast<int>(head.encoding())));
  }
  report.print(msg::kTrace, __FILE__, __LINE__);

  const bool has_separator = names.name_separator != OutputNames::kNoSeparator;
  report.print(msg::kOff, has_separator
                              ? static_cast<const void*>(&input_path[names.name_separator])
                              : static_cast<const void*>(nullptr));
  report.print(msg::kVname, names.vname.c_str());
  report.print(msg::kTrace, __FILE__, __LINE__);
  report.print(msg::kOutpath, names.out_path.c_str());

  if (const std::string* victim =
          overwritten_input(names.out_path, *include, input.get(), input_path)) {
    return report.fail(format(msg::kWouldOverwrite, names.out_path.c_str(), victim->c_str()));
  }
  GeneratedFile output;
  if (!output.open(names.out_path, &err)) {
    return report.fail(format(msg::kOpenOutput, names.out_path.c_str()), err);
  }
  report.print(msg::kTraceWithOutput, __FILE__, __LINE__, names.out_path.c_str());

  const std::string stem = upper_stem(names.vname);
  BlockWriter blocks(output);
  if (!blocks.ok()) return report.fail(msg::kOutOfMemory);
  SourceWriter writer(blocks, stem, line.options);
  if (!write_source({bytes.view(), head.count(), bytes.mapping()}, writer, report, &err) ||
      !output.close(&err)) {
    return report.fail(format(msg::kWriteFailed, names.out_path.c_str()), err);
  }
  if (!bytes.intact()) {
    return report.fail(format(msg::kReadFailed, input_path.c_str(), msg::kInputShrank));
  }
  if (line.strict && report.findings() > 0) {
    return report.fail(format(msg::kStrictFindings, input_path.c_str()));
  }
  if (!report.output_ok(&err)) return report.fail({}, err);
  if (!output.commit(&err)) {
    return report.fail(format(msg::kReplaceFailed, names.out_path.c_str()), err);
  }
  if (!include->add(declarations(stem, line.options), &err)) {
    return report.fail(format(msg::kWriteFailed, include_path.c_str()), err);
  }
  input.close();
  if (!include->close(&err)) {
    return report.fail(format(msg::kWriteFailed, include_path.c_str()), err);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  prepare_process();
  Reporter report;
  // Memory that a string or vector cannot have ends the run like any other failure: the files'
  // owners clean up as the stack unwinds.
  try {
    return run(report, argc, argv);
  } catch (const std::bad_alloc&) {
    return report.fail(msg::kOutOfMemory);
  } catch (const std::length_error&) {
    return report.fail(msg::kOutOfMemory);
  } catch (const std::exception& e) {
    return report.fail(format(msg::kSystemError, e.what()));
  }
}
