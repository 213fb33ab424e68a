#include "generated_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "scratch.hpp"

using namespace strtab2c;
using namespace testing_support;

namespace {

class GeneratedFileTest : public ::testing::Test {
 protected:
  std::string path(const char* name) const { return scratch_.path(name); }
  static std::string read(const std::string& p) { return read_file(p); }
  std::size_t entries() const { return scratch_.list().size(); }
  Scratch scratch_;
  std::string err;
};

TEST_F(GeneratedFileTest, ReplacesTheFinalNameOnlyOnCommit) {
  const std::string out = path("t_bin.c");
  std::ofstream(out) << "previous";
  {
    GeneratedFile file;
    ASSERT_TRUE(file.open(out, &err));
    ASSERT_TRUE(file.write("new text", 8, &err));
    ASSERT_TRUE(file.close(&err));
    EXPECT_EQ(read(out), "previous");
    EXPECT_EQ(entries(), 2u);  // the final name and the temporary file beside it
    ASSERT_TRUE(file.commit(&err));
  }
  EXPECT_EQ(read(out), "new text");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(GeneratedFileTest, WithoutCommitLeavesOnlyThePreviousFile) {
  const std::string out = path("t_bin.c");
  std::ofstream(out) << "previous";
  {
    GeneratedFile file;
    ASSERT_TRUE(file.open(out, &err));
    ASSERT_TRUE(file.write("half", 4, &err));
  }
  EXPECT_EQ(read(out), "previous");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(GeneratedFileTest, CannotBeCreatedWhereNoFileCanStand) {
  scratch_.mkdir("a_dir.c");
  const std::string temp = "missing/t_bin.c." + std::to_string(process_id()) + ".tmp";
  const struct {
    const char* name;
    std::string reason;  // the path it is about, and why
  } cases[] = {{"a_dir.c", path("a_dir.c") + ": Is a directory"},
               {"missing/t_bin.c", path(temp.c_str()) + ": No such file or directory"}};
  for (const auto& c : cases) {
    GeneratedFile file;
    EXPECT_FALSE(file.open(path(c.name), &err)) << c.name;
    EXPECT_EQ(err, c.reason);
  }
  EXPECT_EQ(entries(), 1u);
}

// A stale temporary file of a killed run whose process id came round again is left alone; when
// every name is taken, the failure names the temporary file, with its reason.
TEST_F(GeneratedFileTest, StaleTemporaryNamesAreSteppedOver) {
  const std::string out = path("t_bin.c");
  const std::string stale = out + "." + std::to_string(process_id()) + ".tmp";
  std::ofstream(stale) << "stale";
  {
    GeneratedFile file;
    ASSERT_TRUE(file.open(out, &err));
    ASSERT_TRUE(file.write("new", 3, &err) && file.close(&err) && file.commit(&err));
  }
  EXPECT_EQ(read(out), "new");
  EXPECT_EQ(read(stale), "stale");
  for (int k = 1; k < 100; ++k) {
    std::ofstream(out + "." + std::to_string(process_id()) + "-" + std::to_string(k) + ".tmp");
  }
  GeneratedFile file;
  EXPECT_FALSE(file.open(out, &err));
  EXPECT_EQ(err, out + "." + std::to_string(process_id()) + "-99.tmp: File exists");
  EXPECT_EQ(read(out), "new");
}

#ifndef _WIN32
TEST_F(GeneratedFileTest, ALinkAtTheNameIsReplacedNotFollowed) {
  const std::string target = path("elsewhere.txt");
  std::ofstream(target) << "keep";
  std::filesystem::create_symlink(target, path("t_bin.c"));
  GeneratedFile file;
  ASSERT_TRUE(file.open(path("t_bin.c"), &err));
  ASSERT_TRUE(file.close(&err) && file.commit(&err));
  EXPECT_EQ(read(target), "keep");
  EXPECT_FALSE(std::filesystem::is_symlink(path("t_bin.c")));
}

TEST_F(GeneratedFileTest, PermissionsOfAPlainCreate) {
  const mode_t mask = umask(022);
  {
    GeneratedFile file;
    ASSERT_TRUE(file.open(path("t_bin.c"), &err));
    ASSERT_TRUE(file.close(&err) && file.commit(&err));
  }
  umask(mask);
  struct stat st;
  ASSERT_EQ(stat(path("t_bin.c").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}
#endif

}  // namespace
