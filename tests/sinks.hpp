// Generated text collected in memory, or refused past a budget, for the tests.
#pragma once

#include <string>

#include "convert.hpp"
#include "res_file.hpp"
#include "source_writer.hpp"

namespace testing_support {

class StringSink final : public strtab2c::OutputSink {
 public:
  bool write(const char* data, std::size_t size, std::string*) override {
    text.append(data, size);
    return true;
  }
  std::string text;
};

// Takes writes while they fit in its budget; fails every one from the first that does not, as a
// full disk does, counting the calls.
class BudgetSink final : public strtab2c::OutputSink {
 public:
  explicit BudgetSink(std::size_t budget) : budget_(budget) {}
  bool write(const char*, std::size_t size, std::string* err) override {
    ++calls;
    if (failed_at == 0 && size > budget_) failed_at = calls;
    if (failed_at != 0) {
      *err = "sink: No space left on device";
      return false;
    }
    budget_ -= size;
    return true;
  }
  int calls = 0;
  int failed_at = 0;  // the call that failed first, 0 while none did

 private:
  std::size_t budget_;
};

// The generated text of a whole string resource file (its header already checked), as the tool
// writes it with the given options and buffer size; ok: whether the writes succeeded.
inline bool generate(const std::string& file, const std::string& upper_stem,
                     strtab2c::OutputSink& out, strtab2c::Diagnostics& diag,
                     const strtab2c::SourceOptions& options = {},
                     std::size_t buffer = strtab2c::BlockWriter::kDefaultBuffer,
                     std::string* err = nullptr) {
  strtab2c::res_head head;
  strtab2c::check_res_head(file, &head);
  strtab2c::BlockWriter blocks(out, buffer);
  strtab2c::SourceWriter writer(blocks, upper_stem, options);
  std::string ignored;
  return strtab2c::write_source({file, head.count()}, writer, diag, err ? err : &ignored);
}

}  // namespace testing_support
