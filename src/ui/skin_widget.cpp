#include "ui/skin_widget.h"

#include "ui/qt_resources.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>

namespace zapvane {

namespace {

const QColor kBackground(255, 243, 181);
const QColor kNameColour(100, 255, 100);
const QColor kLabelColour(255, 255, 100);
constexpr int kNamePixelSize = 16;

QRect toQRect(const WindowRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// Tahoma where it is installed, else a bold sans of the same pixel height.
QFont makeNameFont() {
  const QStringList families = QFontDatabase::families();
  QFont font(families.contains(QStringLiteral("Tahoma")) ? QStringLiteral("Tahoma") : QStringLiteral("DejaVu Sans"));
  font.setPixelSize(kNamePixelSize);
  font.setBold(true);
  return font;
}

QString toQString(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

uint16_t clampedCoordinate(int value) { return static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF)); }

}  // namespace

namespace {

std::array<QImage, 3> loadSkins() {
  ensureResources();
  return {QImage(QStringLiteral(":/skins/skin_tv.bmp")), QImage(QStringLiteral(":/skins/skin_vcr.bmp")),
          QImage(QStringLiteral(":/skins/skin_shift.bmp"))};
}

}  // namespace

SkinWidget::SkinWidget(QWidget* parent) : QWidget(parent), skins_(loadSkins()), nameFont_(makeNameFont()) {
  setFixedSize(kSkinWidth, kSkinHeight + kYOffset);
  setAttribute(Qt::WA_OpaquePaintEvent);
  QPalette background = palette();
  background.setColor(QPalette::Window, kBackground);
  setPalette(background);
  setAutoFillBackground(true);
}

void SkinWidget::invert(const QRect& rect) {
  const auto found = std::find(inverted_.begin(), inverted_.end(), rect);
  if (found != inverted_.end()) {
    inverted_.erase(found);
  } else {
    inverted_.push_back(rect);
  }
  repaint(rect);
}

void SkinWidget::repaintNow() {
  inverted_.clear();
  repaint();
}

void SkinWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  if (remote_ == nullptr) return;
  const SkinView view = remote_->skinView();
  painter.drawImage(0, kYOffset, skins_[static_cast<size_t>(view.picture)]);

  if (view.showName) {
    const HotSpot& box = view.layout->nameBox();
    const QRect nameRect(box.left(), box.top() + kYOffset, box.width, box.height);
    painter.setFont(nameFont_);
    painter.setPen(kNameColour);
    painter.drawText(nameRect, Qt::AlignCenter | Qt::TextDontClip, toQString(view.name));
    painter.setPen(kLabelColour);
    for (const auto& [slot, text] : view.labels) {
      const QRect labelArea = toQRect(labelRect(slot));
      painter.save();
      painter.setClipRect(labelArea);
      painter.drawText(labelArea, Qt::AlignLeft | Qt::AlignVCenter, toQString(text));
      painter.restore();
    }
  }

  // XOR with white flips every bit of every pixel: the rectangle inverted,
  // and a second inversion restores it exactly.
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  for (const QRect& r : inverted_) painter.fillRect(r, Qt::white);
}

void SkinWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || remote_ == nullptr) return;
  const QPoint at = event->position().toPoint();
  remote_->penDown(clampedCoordinate(at.x()), clampedCoordinate(at.y()));
}

void SkinWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || remote_ == nullptr) return;
  remote_->penUp();
}

}  // namespace zapvane
