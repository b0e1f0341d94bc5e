// Whole-file reads and crash-safe writes. A save writes a temporary file in
// the same directory, flushes it to the disk and renames it over the old
// file, so a crash, a kill or a full disk leaves either the old file or the
// new one, never a short or mixed one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

namespace zapvane {

struct FileRead {
  bool exists = false;  // false: no such file (not an error)
  Status status = Status::ok();
  std::vector<uint8_t> bytes;  // at most the limit asked for
};

// Reads up to maxBytes from the start of the file; `truncated` tells whether
// more was there.
FileRead readFilePrefix(const std::string& path, size_t maxBytes, bool* truncated = nullptr);

Status writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

// Removes the temporary files that saves of `path` left behind when they
// were killed before their rename: path + six characters, last written more
// than `minimumAgeSeconds` ago (a younger one may be another process's save
// in progress). Returns how many went.
int removeStaleTemporaries(const std::string& path, int64_t minimumAgeSeconds);

// Renames path to path + ".bad" (or ".bad.2", ".bad.3" ... when taken), so
// that a file the program cannot use survives later saves. Returns the new
// name, or an empty string with `status` set.
std::string keepAside(const std::string& path, Status& status);

}  // namespace zapvane
