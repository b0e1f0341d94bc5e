#include "cli/sim_log_reader.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace zapvane::cli {

namespace {

// "pulse N" / "space N" lines; anything else is skipped.
std::vector<int64_t> parseFrame(const std::string& text) {
  std::vector<int64_t> durations;
  std::istringstream lines(text);
  std::string word;
  int64_t value = 0;
  while (lines >> word >> value) {
    if (word == "pulse" || word == "space") durations.push_back(value);
  }
  return durations;
}

}  // namespace

std::vector<std::vector<int64_t>> SimLogReader::readNewFrames() {
  std::vector<std::vector<int64_t>> frames;
  struct stat info {};
  if (::stat(path_.c_str(), &info) != 0) return frames;
  const auto size = static_cast<uint64_t>(info.st_size);
  if (info.st_ino != inode_ || size < offset_) {
    inode_ = info.st_ino;
    offset_ = 0;
    pending_.clear();
  }
  std::ifstream in(path_, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset_));
  std::stringstream fresh;
  fresh << in.rdbuf();
  const std::string text = fresh.str();
  offset_ += text.size();
  pending_ += text;

  size_t start = 0;
  for (size_t end; (end = pending_.find("\n\n", start)) != std::string::npos; start = end + 2) {
    std::vector<int64_t> frame = parseFrame(pending_.substr(start, end - start));
    if (!frame.empty()) frames.push_back(std::move(frame));
  }
  pending_.erase(0, start);
  return frames;
}

}  // namespace zapvane::cli
