// The conversion proper, shared by the tool, the tests, the fuzzer and the benchmark: strings
// 1..N of a checked file, read and written as the generated source, with the reader's findings
// reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform.hpp"
#include "source_writer.hpp"

namespace strtab2c {

// What happens per string. The tool prints these; tests and the fuzzer record them.
class Diagnostics {
 public:
  virtual ~Diagnostics() = default;
  virtual void missing_entry(unsigned n) = 0;
  virtual void unfit_length(std::size_t got, unsigned length) = 0;
  virtual void text_len(std::size_t length) = 0;
};

// A string resource file whose header passed the check.
struct ResInput {
  std::string_view bytes;
  std::uint16_t count = 0;              // from the header
  const MappedFile* mapping = nullptr;  // where bytes are mapped from, if they are (ResReader)
};

// Writes the preamble, one array per string, the tables, and flushes. False at the first failed
// write, with nothing more written and *err saying why.
bool write_source(const ResInput& input, SourceWriter& writer, Diagnostics& diag, std::string* err);

}  // namespace strtab2c
