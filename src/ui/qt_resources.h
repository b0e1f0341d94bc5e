// The program's own pictures, icon and sound, compiled into the window's
// static library: a static library's resources are kept by the linker only
// when something names them, so every user asks here first.
#pragma once

#include <QFontMetrics>
#include <QIcon>
#include <QRect>

namespace zapvane {

// Registers the resources once; cheap afterwards.
void ensureResources();

// Icon 102 at 16, 32, 48 and 64 pixels.
QIcon programIcon();

// Dialog units of a dialog's own font: a quarter of the average character
// width across, an eighth of the line height down, so a dialog keeps its
// proportions at whatever font the desktop uses.
int unitsAcross(const QFontMetrics& metrics, int units);
int unitsDown(const QFontMetrics& metrics, int units);
QRect fromDialogUnits(const QFontMetrics& metrics, int x, int y, int width, int height);

}  // namespace zapvane
