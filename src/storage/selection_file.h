// The selection list: the devices the skin's previous/next buttons step
// through, and its file.
//
// Threads: window thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "storage/selection_format.h"
#include "platform/file_system.h"
#include "platform/status.h"

namespace zapvane {

struct SelectionList {
  int32_t selectionCount = 0;
  std::array<int32_t, selection_format::kMaxEntries> entries{};
};

struct SelectionLoad {
  bool fromFile = false;
  Status readError = Status::ok();
  // A corruption when a damaged file was refused or mended: one line for
  // the user.
  Status finding = Status::ok();
};

// Reads the list from file bytes. A count outside 0..100 refuses the file
// (an empty list); entries that are no catalogue index are left out; a
// file shorter than its count keeps the entries it has.
SelectionLoad readSelection(SelectionList& list, const std::vector<uint8_t>& bytes, int32_t catalogueCount);
std::vector<uint8_t> selectionBytes(const SelectionList& list);

// A missing file is an empty list.
SelectionLoad loadSelection(SelectionList& list, FileSystem& fs, const std::string& path, int32_t catalogueCount);
Status saveSelection(const SelectionList& list, FileSystem& fs, const std::string& path);

}  // namespace zapvane
