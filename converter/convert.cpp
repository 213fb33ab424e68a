#include "convert.hpp"

#include "platform.hpp"

namespace strtab2c {

bool write_source(ResInput& in, std::uint16_t count, const std::string& stem, OutputSink& out,
                  Diagnostics& diag, std::size_t buffer_size) {
  SourceWriter writer(out, buffer_size);
  ResReader reader(in, count);
  writer.preamble();
  for (unsigned n = 1; n <= count && writer.ok(); ++n) {
    const StringRead s = reader.read(n);
    if (s.status == StringRead::Status::kMissingEntry) diag.missing_entry(n);
    if (s.status == StringRead::Status::kShortString) diag.unfit_length(s.got, s.length);
    diag.text_len(hex_length(s.bytes));
    writer.array(n, s.bytes);
  }
  writer.table(upper_stem(stem), count);
  return writer.flush();
}

}  // namespace strtab2c

namespace strtab2c {

bool append_to_include(std::FILE* include, const std::string& text) {
  // Unbuffered, so a failed write leaves nothing in a buffer for the close to write later.
  std::setvbuf(include, nullptr, _IONBF, 0);
  std::uint64_t length = 0;
  if (std::fseek(include, 0, SEEK_END) != 0 || !tell_file(include, &length)) return false;
  if (std::fwrite(text.data(), 1, text.size(), include) == text.size() &&
      std::fflush(include) == 0) {
    return true;
  }
  std::clearerr(include);
  truncate_file(include, length);
  return false;
}

}  // namespace strtab2c
