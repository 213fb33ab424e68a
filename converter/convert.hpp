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

// Writes the preamble, one array per string, the table and the count, and flushes. False at the
// first failed write, with nothing more written.
// mapping: the file that file's bytes are mapped from, if they are (see ResReader).
bool write_source(std::string_view file, std::uint16_t count, const std::string& upper_stem,
                  OutputSink& out, Diagnostics& diag, const SourceOptions& options = {},
                  const MappedFile* mapping = nullptr,
                  std::size_t buffer_size = BlockWriter::kDefaultBuffer);

}  // namespace strtab2c
