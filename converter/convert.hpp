// The conversion proper, shared by the tool, the tests and the fuzzer: strings 1..N of a checked
// input, read and written as the generated source, with the reader's findings reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "res_file.hpp"
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

// Writes the preamble, one array per string, the table and the count, and flushes. stem is the
// identifier stem as derived from the file name; it is upper-cased here. False at the first
// failed write, with nothing more written.
bool write_source(ResInput& in, std::uint16_t count, const std::string& stem, OutputSink& out,
                  Diagnostics& diag, std::size_t buffer_size = SourceWriter::kDefaultBuffer);

}  // namespace strtab2c

namespace strtab2c {

// Appends text at the end of the include file in one unbuffered write. On failure the file is
// cut back to its earlier length, so a failed build leaves no half declaration behind. Call
// before any other I/O on the stream.
bool append_to_include(std::FILE* include, const std::string& text);

}  // namespace strtab2c
