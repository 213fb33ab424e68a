// strtab2c: turns a string resource file into a C source file of byte arrays and appends the
// matching declarations to a shared header.
//
//   strtab2c <string resource file> <include file>
//
// Prints progress and errors on stdout; exits 0 on success, -1 on failure.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "convert.hpp"
#include "messages.hpp"
#include "naming.hpp"
#include "platform.hpp"
#include "res_file.hpp"
#include "source_writer.hpp"

namespace {

using namespace strtab2c;

constexpr int kFailure = -1;

int fail(const char* format, const std::string& arg) {
  std::printf(format, arg.c_str());
  return kFailure;
}

class PrintedDiagnostics final : public Diagnostics {
 public:
  void missing_entry(unsigned n) override { std::printf(msg::kMissingEntry, static_cast<int>(n)); }
  void unfit_length(std::size_t got, unsigned length) override {
    std::printf(msg::kUnfitLength, static_cast<int>(got), static_cast<int>(length));
  }
  void text_len(std::size_t length) override {
    char line[32];
    const std::size_t prefix = sizeof msg::kTextLenPrefix - 1;
    std::memcpy(line, msg::kTextLenPrefix, prefix);
    char* end = std::to_chars(line + prefix, line + sizeof line - 1, length).ptr;
    *end++ = '\n';
    std::fwrite(line, 1, static_cast<std::size_t>(end - line), stdout);
  }
};

// The argument the generated file would clobber, if any.
const std::string* overwritten_input(const std::string& out_path, const std::string& include_path,
                                     const std::string& input_path) {
  for (const std::string* arg : {&include_path, &input_path}) {
    if (out_path == *arg || same_file(out_path, *arg)) return arg;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  // One "text len" line per string: keep stdout block-buffered, whatever it is connected to.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf(msg::kVersion, STRTAB2C_VERSION);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::printf("%s", msg::kUsage);
    return 0;
  }
  if (argc < 3) {
    std::printf(msg::kIllegalParams);
    return kFailure;
  }
  const std::string input_path = argv[1];
  const std::string include_path = argv[2];

  File include = File::open(include_path, "a+");
  if (!include) return fail(msg::kOpenInclude, include_path);
  std::printf(msg::kTraceWithArg, __FILE__, __LINE__, input_path.c_str());

  File input = File::open(input_path, "rb");
  if (!input) return fail(msg::kOpenInput, input_path);
  std::printf(msg::kTrace, __FILE__, __LINE__);

  FileInput source(input.get());
  res_head head;
  if (!check_res_head(source, &head)) {
    std::printf(msg::kUnsupportedEncoding, static_cast<int>(head.encoding()));
    return kFailure;
  }
  const std::uint16_t count = head.count();
  std::printf(msg::kTrace, __FILE__, __LINE__);

  const OutputNames names = derive_output_names(input_path, include_path);
  const bool has_separator = names.name_separator != OutputNames::kNoSeparator;
  std::printf(msg::kOff, has_separator ? static_cast<const void*>(&input_path[names.name_separator])
                                       : static_cast<const void*>(nullptr));
  std::printf(msg::kVname, names.vname.c_str());
  std::printf(msg::kTrace, __FILE__, __LINE__);
  std::printf(msg::kOutpath, names.out_path.c_str());

  if (const std::string* victim = overwritten_input(names.out_path, include_path, input_path)) {
    std::printf(msg::kWouldOverwrite, names.out_path.c_str(), victim->c_str());
    return kFailure;
  }
  File output = File::open(names.out_path, "wb");
  if (!output) return fail(msg::kOpenOutput, names.out_path);
  std::printf(msg::kTraceWithOutput, __FILE__, __LINE__, names.out_path.c_str());

  FileSink sink(output.get());
  PrintedDiagnostics diagnostics;
  const bool written = write_source(source, count, names.vname, sink, diagnostics);
  // The generated file is complete and on disk before the header mentions it.
  if (!output.close() || !written) {
    std::remove(names.out_path.c_str());
    return fail(msg::kWriteFailed, names.out_path);
  }
  if (!append_to_include(include.get(), declarations(upper_stem(names.vname)))) {
    return fail(msg::kWriteFailed, include_path);
  }
  input.close();
  if (!include.close()) return fail(msg::kWriteFailed, include_path);
  return 0;
}
