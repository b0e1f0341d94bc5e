#include "storage/selection_file.h"

#include <algorithm>

#include "storage/little_endian.h"

namespace zapvane {

using namespace selection_format;

SelectionLoad readSelection(SelectionList& list, const std::vector<uint8_t>& bytes, int32_t catalogueCount) {
  SelectionLoad result;
  result.fromFile = true;
  list = SelectionList{};
  if (bytes.size() < kEntriesOffset) {
    if (!bytes.empty()) result.finding = Status::corruption("selection file is shorter than its count; starting with an empty selection");
    return result;
  }
  const int32_t count = le::getInt32(bytes, kCountOffset);
  if (count < 0 || count > kMaxEntries) {
    result.finding = Status::corruption("selection file holds an impossible count (" + std::to_string(count) +
                     "); starting with an empty selection");
    return result;
  }
  const auto available = static_cast<int32_t>((bytes.size() - kEntriesOffset) / kEntrySize);
  int dropped = 0;
  for (int32_t i = 0; i < count && i < available; ++i) {
    const int32_t index = le::getInt32(bytes, kEntriesOffset + kEntrySize * static_cast<size_t>(i));
    if (index < 0 || index >= catalogueCount) {
      ++dropped;
      continue;
    }
    list.entries[static_cast<size_t>(list.selectionCount++)] = index;
  }
  if (available < count) {
    result.finding = Status::corruption("selection file is cut short: " + std::to_string(available) + " of " + std::to_string(count) +
                     " entries read");
  } else if (dropped > 0) {
    result.finding = Status::corruption("selection file names " + std::to_string(dropped) +
                     " device(s) the catalogue does not have; left out");
  }
  return result;
}

std::vector<uint8_t> selectionBytes(const SelectionList& list) {
  std::vector<uint8_t> bytes;
  const int32_t count = std::clamp(list.selectionCount, 0, kMaxEntries);
  bytes.reserve(kEntriesOffset + kEntrySize * static_cast<size_t>(count));
  le::putInt32(bytes, count);
  for (int32_t i = 0; i < count; ++i) le::putInt32(bytes, list.entries[static_cast<size_t>(i)]);
  return bytes;
}

SelectionLoad loadSelection(SelectionList& list, FileSystem& fs, const std::string& path, int32_t catalogueCount) {
  std::vector<uint8_t> bytes;
  const Status read = fs.readFile(path, kMaxFileSize, bytes);
  if (read.isNotFound()) {
    list = SelectionList{};
    return {};
  }
  if (!read.isOk()) {
    list = SelectionList{};
    SelectionLoad result;
    result.readError = read;
    return result;
  }
  return readSelection(list, bytes, catalogueCount);
}

Status saveSelection(const SelectionList& list, FileSystem& fs, const std::string& path) {
  return fs.writeFileAtomically(path, selectionBytes(list));
}

}  // namespace zapvane
