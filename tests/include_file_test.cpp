#include "include_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace strtab2c;
namespace fs = std::filesystem;

namespace {

TEST(IncludeFile, AppendsAtTheEndWhateverWasWrittenMeanwhile) {
  const fs::path path =
      fs::temp_directory_path() / ("strtab2c_inc_" + std::to_string(process_id()) + ".h");
  std::ofstream(path) << "// top\n";
  IncludeFile include;
  ASSERT_TRUE(include.open(path.string()));
  std::ofstream(path, std::ios::app) << "// another run\n";
  ASSERT_TRUE(include.append("\nextern int x;\n"));
  ASSERT_TRUE(include.close());
  std::ifstream in(path);  // text mode: the same text on every platform
  std::stringstream text;
  text << in.rdbuf();
  in.close();
  fs::remove(path);
  EXPECT_EQ(text.str(), "// top\n// another run\n\nextern int x;\n");
}

}  // namespace
