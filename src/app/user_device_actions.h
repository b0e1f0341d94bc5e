// The user's own devices: creating one (a name and a skin), renaming it,
// naming its shift-page commands, choosing the slot a learning tap fills,
// and ending learning, which adds a new device to the catalogue and the
// selection and saves everything. The dialogs around these live in the
// window; the command line tool calls them directly.
//
// Threads: window thread, while no capture runs.
#pragma once

#include <cstdint>
#include <string>

#include "app/remote.h"
#include "platform/messages.h"

namespace zapvane {

inline constexpr size_t kMaxNameUnits = 48;   // the record holds 50 units with the terminator
inline constexpr size_t kMaxLabelUnits = 13;  // the label buffer holds 15

enum class CreateResult { created, limit, emptyName, allocationFailed };

// The message a refused creation shows ("User devices limit!!!" ...).
Message createRefusal(CreateResult result);

// At most `units` UTF-16 units of text, never ending inside a surrogate pair.
std::u16string cutToUnits(const std::u16string& text, size_t units);

// New user device, OK: creates device userCount with its buffers, puts the
// program in learning mode on it. It is in no catalogue and no file yet.
CreateResult createUserDevice(Remote& remote, const std::u16string& name, int32_t skinType);

// Rename, OK. False for an empty name.
bool renameUserDevice(Remote& remote, int32_t device, const std::u16string& name);

// Command properties, OK: the label of labelSlot of the edited device.
void nameCommand(Remote& remote, const std::u16string& text);

// The learning tap on hit-test result `hit` (>= 0): which command slot the
// capture fills and which label slot goes with it.
void chooseLearnSlot(Remote& remote, int32_t hit, bool shiftPage, int32_t shiftCommand);

// End learning: a new device joins the catalogue and the end of the
// selection and is shown; learning mode ends; the user devices are saved,
// then (a new device) the selection, unless the first save failed.
void endLearning(Remote& remote);

}  // namespace zapvane
