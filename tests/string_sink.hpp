// Generated text collected in memory, for the tests.
#pragma once

#include <string>

#include "source_writer.hpp"

namespace testing_support {

class StringSink final : public strtab2c::OutputSink {
 public:
  bool write(const char* data, std::size_t size) override {
    text.append(data, size);
    return true;
  }
  std::string text;
};

}  // namespace testing_support
