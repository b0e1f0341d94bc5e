// The selection loader on arbitrary bytes: the list holds 0..100 indices of
// a 40-device catalogue (a list naming 40, saved before a device was lost,
// must be mended), and what it writes back reads back unchanged.
#include <algorithm>
#include <cstdlib>

#include "storage/selection_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zapvane;
  SelectionList list, again;
  readSelection(list, std::vector<uint8_t>(data, data + size), 40);
  const auto end = list.entries.begin() + std::clamp(list.selectionCount, 0, 100);
  if (list.selectionCount < 0 || list.selectionCount > 100) std::abort();
  if (std::any_of(list.entries.begin(), end, [](int32_t entry) { return entry < 0 || entry >= 40; })) std::abort();
  if (std::any_of(end, list.entries.end(), [](int32_t entry) { return entry != 0; })) std::abort();
  const std::vector<uint8_t> written = selectionBytes(list);
  readSelection(again, written, 40);
  if (selectionBytes(again) != written) std::abort();
  return 0;
}
