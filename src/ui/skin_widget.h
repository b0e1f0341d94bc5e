// SkinWidget: the remote's face. Draws the skin picture the controller's
// SkinView names, the device name and the shift-page labels, and the press
// highlights (every pixel of a hot spot inverted); forwards pen down and up.
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

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Remote* remote_ = nullptr;
  std::array<QImage, 3> skins_;
  QFont nameFont_;
  std::vector<QRect> inverted_;
};

}  // namespace zapvane
