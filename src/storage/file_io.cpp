#include "storage/file_io.h"

#include <algorithm>
#include <filesystem>

namespace zapvane {

int removeStaleTemporaries(FileSystem& fs, const std::string& path, int64_t minimumAgeSeconds) {
  const std::filesystem::path target(path);
  const std::string prefix = temporaryPrefixFor(target.filename().string());
  const std::string dir = target.has_parent_path() ? target.parent_path().string() : ".";
  int removed = 0;
  for (const DirectoryEntry& entry : fs.listDirectory(dir)) {
    const std::string& name = entry.name;
    if (name.size() != prefix.size() + kTemporaryRandomChars || name.compare(0, prefix.size(), prefix) != 0) {
      continue;
    }
    const bool temporaryShape = std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                                            [](char c) {
                                              return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                                                     (c >= 'a' && c <= 'z');
                                            });
    if (!temporaryShape || !entry.regularFile || entry.ageSeconds < minimumAgeSeconds) continue;
    if (fs.removeFile((std::filesystem::path(dir) / name).string()).isOk()) ++removed;
  }
  return removed;
}

Status keepAside(FileSystem& fs, const std::string& path, std::string& aside) {
  for (int n = 1; n <= 1000; ++n) {
    aside = path + (n == 1 ? ".bad" : ".bad." + std::to_string(n));
    if (fs.exists(aside)) continue;
    const Status moved = fs.renameNoReplace(path, aside);
    if (moved.code() == Status::Code::busy) continue;  // taken since we looked
    return moved;
  }
  aside.clear();
  return Status::ioError("too many kept-aside copies of " + path);
}

}  // namespace zapvane
