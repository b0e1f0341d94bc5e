#include "app/learning_actions.h"

namespace zapvane {

std::vector<std::u16string> userDeviceNames(const DeviceCatalogue& catalogue) {
  std::vector<std::u16string> names;
  for (int32_t d = 0; d < catalogue.userCount; ++d) names.push_back(userDeviceName(catalogue, d));
  return names;
}

std::u16string userDeviceName(const DeviceCatalogue& catalogue, int32_t device) {
  const auto& name = catalogue.userDevices[static_cast<size_t>(device)].name;
  // A name read from a damaged file may fill its record without a terminator.
  std::u16string text;
  for (size_t i = 0; i < name.size() && name[i] != 0; ++i) text += name[i];
  return text;
}

ListOutcome addNewDevice(Remote& remote, const std::function<void()>& runNewDevice) {
  runNewDevice();
  if (!remote.learning.learningMode) return ListOutcome::stayOpen;
  remote.learning.editingExisting = false;
  return ListOutcome::learn;
}

ListOutcome modifyDevice(Remote& remote, int32_t row, const std::function<void()>& runRename) {
  if (row < 0 || row >= remote.catalogue.userCount) return ListOutcome::nothingSelected;
  const int32_t previous = remote.learning.editedUserDevice;
  remote.learning.learningMode = true;
  remote.learning.editedUserDevice = row;
  remote.learning.editingExisting = true;
  runRename();
  if (remote.learning.learningMode) return ListOutcome::learn;
  remote.learning.editedUserDevice = previous;
  return ListOutcome::stayOpen;
}

Message modifyRefusal() {
  return {"Select device which you want to modify !!!", "Error", MessageIcon::exclamation};
}

void cancelNaming(Remote& remote) { remote.learning.learningMode = false; }

void enterLearningMode(Remote& remote) { remote.learning.learningMode = true; }

}  // namespace zapvane
