// The selection loader on arbitrary bytes: whatever the file says, the list
// holds 0..100 catalogue indices, the device shown exists, and what it
// writes back reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/remote.h"
#include "storage/selection_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zapvane;
  // Two user devices: catalogue indices 0..39, so a list naming 40 (as a
  // list saved before a device was lost would) must be mended.
  RemoteCore core;
  startCatalogue(core);
  core.catalogue.userCount = 2;
  buildCatalogue(core.catalogue, core.current);
  const std::vector<uint8_t> bytes(data, data + size);

  readSelection(core.selection, bytes, core.catalogue.catalogueCount);
  const SelectionList& list = core.selection;
  if (list.selectionCount < 0 || list.selectionCount > selection_format::kMaxEntries) std::abort();
  for (int32_t i = 0; i < list.selectionCount; ++i) {
    const int32_t entry = list.entries[static_cast<size_t>(i)];
    if (entry < 0 || entry >= core.catalogue.catalogueCount) std::abort();
  }
  for (int32_t saved : {-1, 0, 1, 2, 39, 40, 41, 100}) {
    core.settings.savedSelectionPos = saved;
    restoreCurrentDevice(core.settings, list, core.catalogue, core.current);
    const int32_t pos = core.current.selectionPos;
    if (core.current.device.load() == nullptr || pos < 0 || (pos > 0 && pos >= list.selectionCount)) std::abort();
  }

  SelectionList again;
  const std::vector<uint8_t> written = selectionBytes(list);
  readSelection(again, written, core.catalogue.catalogueCount);
  if (selectionBytes(again) != written) std::abort();
  return 0;
}
