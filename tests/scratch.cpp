#include "scratch.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testing_support {

namespace fs = std::filesystem;

std::string read_file(const std::string& path) {
  std::ifstream in(fs::u8path(path), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

Scratch::Scratch() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path dir = fs::temp_directory_path() /
                       ("strtab2c_" + std::to_string(stamp) + "_" + std::to_string(counter++));
  fs::create_directories(dir);
  dir_ = dir.generic_string();
}

Scratch::~Scratch() {
  std::error_code ec;
  // Tests make read-only directories; give the owner write access back before removing.
  for (auto it = fs::recursive_directory_iterator(dir_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(dir_, ec);
}

void Scratch::write(const std::string& rel, const std::string& bytes) const {
  std::ofstream(fs::u8path(path(rel)), std::ios::binary) << bytes;
}

std::string Scratch::read(const std::string& rel) const { return read_file(path(rel)); }

bool Scratch::exists(const std::string& rel) const {
  std::error_code ec;
  return fs::symlink_status(fs::u8path(path(rel)), ec).type() != fs::file_type::not_found;
}

void Scratch::mkdir(const std::string& rel) const { fs::create_directories(fs::u8path(path(rel))); }

std::vector<std::string> Scratch::list(const std::string& rel) const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(fs::u8path(path(rel)))) {
    names.push_back(e.path().filename().u8string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testing_support
