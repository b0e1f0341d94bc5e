// What the learning dialogs decide, without Qt: the User devices list's Add
// new and Modify around the naming dialog each runs, the naming dialogs'
// close box, and learning mode as the Learn function dialog enters it. The
// dialogs show these results and forward their buttons; creating, renaming,
// naming a command and ending learning are user_device_actions.h's.
//
// Threads: window thread only, while no capture runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "app/remote.h"
#include "platform/messages.h"

namespace zapvane {

// The user devices' names in index order, so list row i is device i.
std::vector<std::u16string> userDeviceNames(const DeviceCatalogue& catalogue);
std::u16string userDeviceName(const DeviceCatalogue& catalogue, int32_t device);

// How Add new or Modify ends: the device goes on to learning (the list runs
// command 20, then closes), the naming was cancelled and the list stays
// open, or Modify found nothing selected.
enum class ListOutcome { learn, stayOpen, nothingSelected };

// Add new. `runNewDevice` runs the New user device dialog, whose OK creates
// the device in learning mode and whose close box leaves learning mode.
ListOutcome addNewDevice(Remote& remote, const std::function<void()>& runNewDevice);

// Modify of list row `row` (-1 when nothing is selected). While `runRename`
// runs, the row's device is the edited one, in learning mode; a cancelled
// Rename gives the edited device back to the one edited before.
ListOutcome modifyDevice(Remote& remote, int32_t row, const std::function<void()>& runRename);

// "Select device which you want to modify !!!"
Message modifyRefusal();

// The close box of New user device or Rename: no device goes on to learning.
void cancelNaming(Remote& remote);

// Opening the Learn function dialog, and its Start learn.
void enterLearningMode(Remote& remote);

}  // namespace zapvane
