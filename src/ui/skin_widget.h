// SkinWidget: the remote's face. Draws the skin picture the controller's
// SkinView names, the device name and the shift-page labels, and the press
// highlights (every pixel of a hot spot inverted); forwards pen down and up,
// and the keys that stand for skin buttons as the same pen down and up. One
// button at a time: while the pen is down keys do nothing, and while a key
// is down the pen does nothing. Each button it shows has a tooltip naming
// the command and an accessible button of that name.
//
// On a high-density screen the picture is scaled to device pixels pixel for
// pixel, and the texts are drawn at device resolution.
//
// Threads: window thread only.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "app/pen_and_menu.h"
#include "app/remote.h"
#include "app/skin_buttons.h"

class QAbstractButton;

namespace zapvane {

class SkinWidget final : public QWidget {
  Q_OBJECT

 public:
  explicit SkinWidget(QWidget* parent = nullptr);

  void setRemote(Remote* remote) { remote_ = remote; }
  // Toggles the inversion of a window rectangle, and shows it at once.
  void invert(const QRect& rect);
  // Drops every inversion and redraws the whole skin at once.
  void repaintNow();
  const QFont& nameFont() const { return nameFont_; }
  // The font a device name is drawn in: the name font, narrowed where the
  // name would run over the arrows beside its box. What is still too long
  // is cut short.
  QFont fittedNameFont(const QString& name, int boxWidth) const;
  // A modal box or dialog takes the pen-up or key-up that ends the press
  // now held: the next press is free to start.
  void forgetHeldPress() {
    penHeld_ = false;
    heldKey_ = 0;
  }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Tab is the shift page's key, not a step to another widget.
  bool focusNextPrevChild(bool) override { return false; }

 private:
  const QImage& pictureAtDeviceScale(size_t picture);
  void nameButtons();

  Remote* remote_ = nullptr;
  std::array<QImage, 3> skins_;
  std::array<QImage, 3> scaled_;
  qreal scaledRatio_ = 0;
  QFont nameFont_;
  std::vector<QRect> inverted_;
  bool penHeld_ = false;
  bool penRefused_ = false;  // pressed while a key was down: its release is dropped too
  int heldKey_ = 0;
  quint32 heldScanCode_ = 0;  // a release may come with another key code (Shift pressed meanwhile)
  std::vector<NamedButton> named_;
  std::vector<QAbstractButton*> accessibleButtons_;
};

}  // namespace zapvane
