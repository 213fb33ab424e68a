// The generated source file appears whole or not at all: its text goes to a temporary file in the
// same directory, which replaces the final name only once complete and closed. A killed run
// leaves at most its temporary file (<final name>.<process id>.tmp), never a cut-off final file
// that a build system would take for up to date.
#pragma once

#include <cstdio>
#include <string>

#include "platform.hpp"

namespace strtab2c {

class GeneratedFile {
 public:
  GeneratedFile() = default;
  GeneratedFile(const GeneratedFile&) = delete;
  GeneratedFile& operator=(const GeneratedFile&) = delete;
  // Removes the temporary file of a run that did not commit.
  ~GeneratedFile();

  // False when the file cannot be created at path: no such directory, no permission, or a
  // directory standing there.
  bool open(const std::string& path);
  std::FILE* stream() const { return file_.get(); }
  // Closes the temporary file; false when not all of it reached the file.
  bool close() { return file_.close(); }
  // Moves the closed temporary file over the final name (a link standing there is replaced, not
  // written through). The previous file stays intact until then.
  bool commit();

 private:
  std::string path_;
  std::string temp_path_;
  File file_;
  bool committed_ = false;
};

}  // namespace strtab2c
