// Where a run's declarations go. By default the shared header, only ever appended to: an append
// holds an exclusive lock on the file from measuring its length to the end of any cut-back, so
// that runs sharing one header each add, and on failure remove, only their own bytes. For build
// systems that give each table an include file of its own, a file replaced whole instead, written
// like the generated file.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "generated_file.hpp"
#include "platform.hpp"

namespace strtab2c {

class IncludeTarget {
 public:
  virtual ~IncludeTarget() = default;
  const std::string& path() const { return path_; }
  // Whether the include file is the file other is (true too when it cannot be told apart:
  // refuse, not guess).
  virtual bool is(const FileId& other) const = 0;
  bool is(std::FILE* other) const;
  // Adds text (line feeds as text mode writes them); false with *err saying why.
  virtual bool add(const std::string& text, std::string* err) = 0;
  virtual bool close(std::string* err) = 0;

 protected:
  explicit IncludeTarget(const std::string& path) : path_(path) {}

 private:
  std::string path_;
};

// The shared header, opened for reading and appending ("a+", text mode), created when missing.
class IncludeFile final : public IncludeTarget {
 public:
  explicit IncludeFile(const std::string& path) : IncludeTarget(path) {}
  bool open(std::string* err);
  bool is(const FileId& other) const override;
  // One unbuffered write; on failure the file is cut back to its earlier length.
  bool add(const std::string& text, std::string* err) override;
  bool close(std::string* err) override;

 private:
  File file_;
};

// The include file replaced by the run's declarations: a temporary file beside it takes its place
// on add().
class ReplacedInclude final : public IncludeTarget {
 public:
  explicit ReplacedInclude(const std::string& path) : IncludeTarget(path) {}
  bool open(std::string* err) { return file_.open(path(), err); }
  // One that does not exist yet is none.
  bool is(const FileId& other) const override;
  bool add(const std::string& text, std::string* err) override;
  bool close(std::string*) override { return true; }

 private:
  GeneratedFile file_;
};

// The include file at path, opened: shared, or to be replaced. Null with *err saying why.
std::unique_ptr<IncludeTarget> open_include(const std::string& path, bool replace,
                                            std::string* err);

// The path of the argument that the generated file at out_path would clobber, if any: the file
// standing there (not followed, since a link there is replaced) compared with the include file
// and the input. An existing file that cannot be identified is taken for the include file.
const std::string* overwritten_input(const std::string& out_path, const IncludeTarget& include,
                                     std::FILE* input, const std::string& input_path);

}  // namespace strtab2c
