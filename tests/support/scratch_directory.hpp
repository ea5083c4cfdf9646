#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <stdlib.h>
#include <unistd.h>

namespace littoral {
// Runs a test in a fresh working directory and removes it afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory() : previous_(std::filesystem::current_path()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "littoral-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    std::filesystem::current_path(path_);
  }
  ~ScratchDirectory() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // A file of the directory by its absolute name; the directory itself for no name.
  std::string path(const std::string& name = "") const { return (path_ / name).string(); }

  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
  }

  bool holds(const std::string& name) const { return std::filesystem::exists(path_ / name); }

  std::size_t entries() const {
    return std::size_t(std::distance(std::filesystem::directory_iterator(path_),
                                     std::filesystem::directory_iterator()));
  }

  // The contents of a file in the directory, or "<missing>".
  std::string contentsOf(const std::string& name) const {
    std::ifstream file(path_ / name, std::ios::binary);
    if (!file) return "<missing>";
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace littoral
