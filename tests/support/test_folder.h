// A real folder of its own for each test, whole-file reads, the little-endian
// words of the data files, and files typed from their layout tables as text.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "platform/real_file_system.h"

namespace zapvane::testing {

using Bytes = std::vector<uint8_t>;

inline RealFileSystem& disk() { static RealFileSystem fs; return fs; }

class TestFolder {
 public:
  TestFolder() {
    std::string pattern = ::testing::TempDir() + "zapvane-XXXXXX";
    EXPECT_NE(::mkdtemp(pattern.data()), nullptr) << pattern;
    path_ = pattern;
  }
  ~TestFolder() { std::filesystem::remove_all(path_, ignored_); }
  TestFolder(const TestFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
  std::error_code ignored_;
};

inline std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
inline Bytes readBytes(const std::filesystem::path& p) { const std::string t = readText(p); return {t.begin(), t.end()}; }

// The low `size` bytes of `value`, little-endian, written out here so that an
// expected file never comes from the code under test.
inline void putWordAt(Bytes& b, size_t at, int64_t value, size_t size = 4) {
  for (size_t k = 0; k < size; ++k) b.at(at + k) = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * k));
}
inline Bytes leWords(const std::vector<int64_t>& words) {
  Bytes bytes(4 * words.size());
  for (size_t i = 0; i < words.size(); ++i) putWordAt(bytes, 4 * i, words[i]);
  return bytes;
}

// "size N", then "<offset> i32|u16|u8 <values>": numbers, or "ASCII" a unit a
// character; "<offset>+<stride>x<n>" repeats them n times; '#' starts a
// comment. A byte no line names is 0.
inline Bytes layoutFile(const std::string& path) {
  std::ifstream in(path);
  Bytes bytes;
  for (std::string line, at, kind, word; std::getline(in, line);) {
    std::istringstream words(line.substr(0, line.find('#')));
    if (!(words >> at >> kind)) continue;
    if (at == "size") bytes.assign(std::stoul(kind), 0);
    size_t stride = 0, repeats = at == "size" ? 0 : 1, size = kind == "i32" ? 4 : kind == "u16" ? 2 : 1;
    std::sscanf(at.c_str(), "%*u+%zux%zu", &stride, &repeats);
    std::vector<int64_t> units;
    while (words >> std::ws && !words.eof()) {
      const bool text = words.peek() == '"';
      words >> std::quoted(word);
      if (text) units.insert(units.end(), word.begin(), word.end());
      if (!text) units.push_back(std::stoll(word, nullptr, 0));
    }
    for (size_t r = 0; r < repeats; ++r) {
      for (size_t i = 0; i < units.size(); ++i) putWordAt(bytes, std::stoul(at) + r * stride + size * i, units[i], size);
    }
  }
  EXPECT_FALSE(bytes.empty()) << path;
  return bytes;
}

}  // namespace zapvane::testing
