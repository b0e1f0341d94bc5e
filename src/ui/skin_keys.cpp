#include "ui/skin_keys.h"

namespace zapvane {

namespace {

struct KeyButton {
  int key;
  SkinButton button;
};

using B = SkinButton;

constexpr KeyButton kKeys[] = {
    {Qt::Key_1, B::digit1}, {Qt::Key_2, B::digit2}, {Qt::Key_3, B::digit3}, {Qt::Key_4, B::digit4},
    {Qt::Key_5, B::digit5}, {Qt::Key_6, B::digit6}, {Qt::Key_7, B::digit7}, {Qt::Key_8, B::digit8},
    {Qt::Key_9, B::digit9}, {Qt::Key_0, B::digit0},
    // "=" is "+" without Shift on most layouts.
    {Qt::Key_Plus, B::volumeUp}, {Qt::Key_Equal, B::volumeUp}, {Qt::Key_VolumeUp, B::volumeUp},
    {Qt::Key_Minus, B::volumeDown}, {Qt::Key_VolumeDown, B::volumeDown},
    {Qt::Key_PageUp, B::programmeUp}, {Qt::Key_PageDown, B::programmeDown},
    {Qt::Key_M, B::mute}, {Qt::Key_VolumeMute, B::mute}, {Qt::Key_P, B::power}, {Qt::Key_Slash, B::dash},
    {Qt::Key_Left, B::previousDevice}, {Qt::Key_Right, B::nextDevice},
    {Qt::Key_Tab, B::shift}, {Qt::Key_Backtab, B::shift}, {Qt::Key_S, B::shift},
    {Qt::Key_Space, B::play}, {Qt::Key_MediaPlay, B::play}, {Qt::Key_MediaTogglePlayPause, B::play},
    {Qt::Key_X, B::stop}, {Qt::Key_MediaStop, B::stop},
    {Qt::Key_Pause, B::pause}, {Qt::Key_MediaPause, B::pause},
    {Qt::Key_R, B::record}, {Qt::Key_MediaRecord, B::record},
    {Qt::Key_Comma, B::rewind}, {Qt::Key_Less, B::rewind}, {Qt::Key_AudioRewind, B::rewind},
    {Qt::Key_Period, B::fastForward}, {Qt::Key_Greater, B::fastForward}, {Qt::Key_AudioForward, B::fastForward},
    {Qt::Key_MediaPrevious, B::skipBack}, {Qt::Key_MediaNext, B::skipForward},
    {Qt::Key_F1, B::f1}, {Qt::Key_F2, B::f2}, {Qt::Key_F3, B::f3}, {Qt::Key_F4, B::f4}, {Qt::Key_F5, B::f5},
    {Qt::Key_F6, B::f6}, {Qt::Key_F7, B::f7}, {Qt::Key_F8, B::f8}, {Qt::Key_F9, B::f9}, {Qt::Key_F10, B::f0},
};

}  // namespace

std::optional<SkinButton> skinButtonForKey(int key, Qt::KeyboardModifiers modifiers) {
  if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
  for (const KeyButton& entry : kKeys) {
    if (entry.key == key) return entry.button;
  }
  return std::nullopt;
}

}  // namespace zapvane
