// A folder of its own for each test (suite, test name and a random tail:
// ctest runs the tests of one fixture side by side), whole-file reads and
// writes, and the little-endian words the data files are made of.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/real_file_system.h"

namespace zapvane::testing {

// The real disk, for the tests that look at the files a test folder holds.
inline RealFileSystem& disk() {
  static RealFileSystem fs;
  return fs;
}

using Bytes = std::vector<uint8_t>;

class TestFolder {
 public:
  TestFolder() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("zapvane-") + test->test_suite_name() + "." + test->name() + "-XXXXXX";
    std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests
    std::string pattern = (std::filesystem::path(::testing::TempDir()) / name).string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot create " << pattern;
    path_ = pattern;
  }
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// One read, not a byte at a time: the kill test reads a 660 KB file per round.
inline Bytes readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  Bytes bytes(static_cast<size_t>(in.tellg()));
  in.seekg(0).read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

inline std::string readText(const std::filesystem::path& path) {
  const Bytes bytes = readBytes(path);
  return {bytes.begin(), bytes.end()};
}

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The low 32 bits of each word, little-endian, written out here so that an
// expected file never comes from the code under test.
inline Bytes leWords(const std::vector<int64_t>& words) {
  Bytes bytes;
  for (int64_t w : words) {
    const auto word = static_cast<uint32_t>(w);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(word >> shift));
  }
  return bytes;
}

inline int32_t wordAt(const Bytes& b, size_t at) {
  uint32_t word = 0;
  for (size_t k = 0; k < 4; ++k) word |= static_cast<uint32_t>(b.at(at + k)) << (8 * k);
  return static_cast<int32_t>(word);
}

inline void putWordAt(Bytes& b, size_t at, int32_t value) {
  for (size_t k = 0; k < 4; ++k) b.at(at + k) = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * k));
}

}  // namespace zapvane::testing
