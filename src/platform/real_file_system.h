// The file system of the machine, through POSIX calls; every errno becomes a
// Status through Status::fromErrno.
#pragma once

#include "platform/file_system.h"

namespace zapvane {

class RealFileSystem final : public FileSystem {
 public:
  Status readFile(const std::string& path, size_t maxBytes, std::vector<uint8_t>& bytes,
                  bool* truncated = nullptr) override;
  Status writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) override;
  Status renameNoReplace(const std::string& from, const std::string& to) override;
  Status createDirectories(const std::string& path) override;
  std::vector<DirectoryEntry> listDirectory(const std::string& dir) override;
  Status removeFile(const std::string& path) override;
  bool exists(const std::string& path) override;
};

}  // namespace zapvane
