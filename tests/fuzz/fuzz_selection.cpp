// The selection loader on arbitrary bytes: whatever the file says, the list
// holds 0..100 catalogue indices, the device shown exists, and what it
// writes back reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

#include "app/remote.h"
#include "platform/virtual_platform.h"
#include "storage/selection_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zapvane;
  // Two user devices: catalogue indices 0..39, so a list naming 40 (as a
  // list saved before a device was lost would) must be mended. No data
  // files: the remote only shows what the list and a saved position say.
  VirtualPlatform machine;
  std::ostringstream err;
  const auto remote = std::make_unique<Remote>(machine, DataFiles{}, err);
  DeviceCatalogue& catalogue = remote->catalogue;
  CurrentDevice& current = remote->current;
  startCatalogue(catalogue, current);
  catalogue.userCount = 2;
  buildCatalogue(catalogue, current);
  const std::vector<uint8_t> bytes(data, data + size);

  readSelection(remote->selection, bytes, catalogue.catalogueCount);
  const SelectionList& list = remote->selection;
  if (list.selectionCount < 0 || list.selectionCount > selection_format::kMaxEntries) std::abort();
  for (int32_t i = 0; i < list.selectionCount; ++i) {
    const int32_t entry = list.entries[static_cast<size_t>(i)];
    if (entry < 0 || entry >= catalogue.catalogueCount) std::abort();
  }
  for (int32_t saved : {-1, 0, 1, 2, 39, 40, 41, 100}) {
    remote->settings.savedSelectionPos = saved;
    remote->showSavedDevice();
    const int32_t pos = current.selectionPos;
    if (current.device.load() == nullptr || pos < 0 || (pos > 0 && pos >= list.selectionCount)) std::abort();
  }

  SelectionList again;
  const std::vector<uint8_t> written = selectionBytes(list);
  readSelection(again, written, catalogue.catalogueCount);
  if (selectionBytes(again) != written) std::abort();
  return 0;
}
