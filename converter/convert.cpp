#include "convert.hpp"

#include "res_file.hpp"

namespace strtab2c {

bool write_source(std::string_view file, std::uint16_t count, const std::string& upper_stem,
                  OutputSink& out, Diagnostics& diag, const SourceOptions& options,
                  std::size_t buffer_size, const MappedFile* mapping) {
  SourceWriter writer(out, buffer_size);
  ResReader reader(file, mapping);
  writer.preamble();
  for (unsigned n = 1; n <= count && writer.ok(); ++n) {
    const StringRead s = reader.read(n);
    if (s.status == StringRead::Status::kMissingEntry) diag.missing_entry(n);
    if (s.status == StringRead::Status::kShortString) diag.unfit_length(s.got, s.length);
    // One zero byte: code that reads the strings as zero-terminated still sees "".
    const std::string_view bytes =
        options.portable_c && s.bytes.empty() ? std::string_view("", 1) : s.bytes;
    diag.text_len(writer.array(n, bytes));
  }
  writer.table(upper_stem, count, options.portable_c);
  return writer.finish();
}

}  // namespace strtab2c
