#include "convert.hpp"

#include "res_file.hpp"

namespace strtab2c {

bool write_source(const ResInput& input, SourceWriter& writer, Diagnostics& diag,
                  std::string* err) {
  ResReader reader(input.bytes, input.mapping);
  writer.preamble();
  for (unsigned n = 1; n <= input.count && writer.ok(); ++n) {
    const StringRead s = reader.read(n);
    if (s.status == StringRead::Status::kMissingEntry) diag.missing_entry(n);
    if (s.status == StringRead::Status::kShortString) {
      diag.unfit_length(s.got, static_cast<unsigned>(s.bytes.size()));
    }
    diag.text_len(writer.array(n, s.bytes));
  }
  writer.tables(input.count);
  return writer.finish(err);
}

}  // namespace strtab2c
