// The generated source file appears whole or not at all: its text goes to a temporary file in the
// same directory, which replaces the final name only once complete and closed. A killed run
// leaves at most its temporary file (<final name>.<process id>.tmp, the name cut short where
// the system allows no more), never a cut-off final file that a build system would take for up
// to date.
#pragma once

#include <cstdio>
#include <string>

#include "block_writer.hpp"
#include "platform.hpp"

namespace strtab2c {

class GeneratedFile final : public OutputSink {
 public:
  GeneratedFile() = default;
  GeneratedFile(const GeneratedFile&) = delete;
  GeneratedFile& operator=(const GeneratedFile&) = delete;
  // Removes the temporary file of a run that did not commit (an interrupted one too).
  ~GeneratedFile();

  // False when the file cannot be created at path: no such directory, no permission, or a
  // directory standing there. *err names the path it is about (the final one or the temporary
  // one) and why.
  bool open(const std::string& path, std::string* err);
  // Failures name the final path: the temporary one is the file's own business.
  bool write(const char* data, std::size_t size, std::string* err) override;
  // Closes the temporary file; false when not all of it reached the file.
  bool close(std::string* err);
  // Moves the closed temporary file over the final name (a link standing there is replaced, not
  // written through). The previous file stays intact until then.
  bool commit(std::string* err);

 private:
  std::string path_;
  std::string temp_path_;
  File file_;
  bool committed_ = false;
  int cleanup_slot_ = -1;  // where an interruption finds the temporary file
};

}  // namespace strtab2c
