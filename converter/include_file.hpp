// The shared header, only ever appended to. An append holds an exclusive lock on the file from
// measuring its length to the end of any cut-back, so that runs sharing one header each add, and
// on failure remove, only their own bytes.
#pragma once

#include <cstdio>
#include <string>

#include "platform.hpp"

namespace strtab2c {

class IncludeFile {
 public:
  // Opens for reading and appending ("a+", text mode), created when missing.
  bool open(const std::string& path);
  std::FILE* stream() const { return file_.get(); }
  // Appends text in one unbuffered write; on failure cuts the file back to its earlier length.
  bool append(const std::string& text);
  bool close() { return file_.close(); }

 private:
  File file_;
};

}  // namespace strtab2c
