// Deleting a user device: the devices after it move down one place, so the
// user devices file stays a dense list, and every selection entry and the
// saved position follow the devices they named.
//
// Threads: one thread, while no worker runs and the data folder is held.
#pragma once

#include <cstdint>

#include "app/remote.h"

namespace zapvane {

// The selection without `catalogueIndex`, later user devices renumbered one
// lower; `savedPos` follows the device it showed, or becomes 0 when that
// device is the one removed or the position lay outside the list.
void removeFromSelection(SelectionList& list, int32_t& savedPos, int32_t catalogueIndex);

// Removes user device `user` and saves the selection, then the user devices,
// then (when the saved position moved) the settings: a crash between the
// saves leaves a selection that names only devices the files still hold, and
// when the user devices cannot be saved the old selection is saved back.
// False when a save failed (reported through remote.problems).
// REQUIRES: 0 <= user < remote.catalogue.userCount.
bool deleteUserDevice(Remote& remote, int32_t user);

}  // namespace zapvane
