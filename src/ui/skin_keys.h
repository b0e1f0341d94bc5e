// The keyboard's remote: which key stands for which skin button. Digits,
// + and - for volume, Page Up and Page Down for the programme, M mute,
// P power, Left and Right the devices, Tab or S the shift page, F1 to F10
// the F buttons, and for the VCR skin both the media keys and letters a
// keyboard without them has (Space play, X stop, Pause, R record, comma
// rewind, full stop fast forward).
//
// Threads: any (constant data).
#pragma once

#include <Qt>
#include <optional>

#include "app/skin_buttons.h"

namespace zapvane {

// The button of `key`; none for another key, or one pressed with Control,
// Alt or Meta (the menus' shortcuts).
std::optional<SkinButton> skinButtonForKey(int key, Qt::KeyboardModifiers modifiers);

}  // namespace zapvane
