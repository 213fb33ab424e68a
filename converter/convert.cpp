#include "convert.hpp"

#include <vector>

#include "res_file.hpp"

namespace strtab2c {

bool write_source(std::string_view file, std::uint16_t count, const std::string& upper_stem,
                  OutputSink& out, Diagnostics& diag, const SourceOptions& options,
                  const MappedFile* mapping, std::size_t buffer_size) {
  BlockWriter blocks(out, buffer_size);
  SourceWriter writer(blocks);
  ResReader reader(file, mapping);
  std::vector<std::uint16_t> lengths;
  if (options.lengths) lengths.reserve(count);
  writer.preamble();
  for (unsigned n = 1; n <= count && writer.ok(); ++n) {
    const StringRead s = reader.read(n);
    if (s.status == StringRead::Status::kMissingEntry) diag.missing_entry(n);
    if (s.status == StringRead::Status::kShortString) {
      diag.unfit_length(s.got, static_cast<unsigned>(s.bytes.size()));
    }
    // One zero byte: code that reads the strings as zero-terminated still sees "".
    const std::string_view bytes =
        options.portable_c && s.bytes.empty() ? std::string_view("", 1) : s.bytes;
    diag.text_len(writer.array(n, bytes));
    if (options.lengths) lengths.push_back(static_cast<std::uint16_t>(s.bytes.size()));
  }
  writer.table(upper_stem, count, options, lengths);
  return writer.finish();
}

}  // namespace strtab2c
