// The shared header, only ever appended to. An append holds an exclusive lock on the file from
// measuring its length to the end of any cut-back, so that runs sharing one header each add, and
// on failure remove, only their own bytes. For build systems that give each table an include
// file of its own, it can instead be replaced whole by the run's declarations.
#pragma once

#include <cstdio>
#include <string>

#include "generated_file.hpp"
#include "platform.hpp"

namespace strtab2c {

class IncludeFile {
 public:
  // Opens for reading and appending ("a+", text mode), created when missing. With replace, makes
  // a temporary file beside it instead, which takes its place on append().
  bool open(const std::string& path, bool replace = false);
  // Whether the include file is the file other is (true too when the include file cannot be
  // told apart: refuse, not guess). A replaced include file that does not exist yet is none.
  bool is(const FileId& other) const;
  bool is(std::FILE* other) const;
  // Appends text in one unbuffered write; on failure cuts the file back to its earlier length.
  // Replacing: writes text, in text mode's line ends, and puts the file in the include's place.
  bool append(const std::string& text);
  bool close() { return file_.close(); }

 private:
  File file_;
  std::string path_;
  bool replace_ = false;
  GeneratedFile replacement_;
};

// The argument that the generated file at out_path would clobber, if any: the file standing there
// (not followed, since a link there is replaced) compared with the include file and the input.
// An existing file that cannot be identified is taken for the include file.
const std::string* overwritten_input(const std::string& out_path, const IncludeFile& include,
                                     const std::string& include_path, std::FILE* input,
                                     const std::string& input_path);

}  // namespace strtab2c
