#include "ui/skin_widget.h"

#include "ui/qt_resources.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <utility>

#include "ui/skin_keys.h"

namespace zapvane {

namespace {

const QColor kBackground(255, 243, 181);
const QColor kNameColour(100, 255, 100);
const QColor kLabelColour(255, 255, 100);
// The name font's height counts the whole line (the cell), ascent and
// descent, as the handheld's fonts are sized; its glyphs are smaller.
constexpr int kNameCellHeight = 16;
// Room kept free at each end of the name box, and how far a long name is
// narrowed before it is cut short.
constexpr int kNameMargin = 2;
constexpr int kNarrowestStretch = 70;
constexpr int kStretchStep = 5;

QRect toQRect(const WindowRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// Tahoma where it is installed, else a bold sans of the same line height.
QFont makeNameFont() {
  const QStringList families = QFontDatabase::families();
  QFont font(families.contains(QStringLiteral("Tahoma")) ? QStringLiteral("Tahoma") : QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  for (int pixels = kNameCellHeight; pixels > 1; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).height() <= kNameCellHeight) break;
  }
  return font;
}

// An accessible stand-in for a button drawn on the skin: invisible, never
// focused, and the pen passes through it to the skin.
class AccessibleSkinButton final : public QAbstractButton {
 public:
  explicit AccessibleSkinButton(QWidget* skin) : QAbstractButton(skin) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override {}
};

bool sameNames(const std::vector<NamedButton>& a, const std::vector<NamedButton>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const NamedButton& x, const NamedButton& y) {
    return x.result == y.result && x.name == y.name && x.available == y.available;
  });
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
  setFocusPolicy(Qt::StrongFocus);
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
  painter.drawImage(QPointF(0, kYOffset), pictureAtDeviceScale(static_cast<size_t>(view.picture)));

  if (view.showName) {
    const HotSpot& box = view.layout->nameBox();
    const QRect nameRect(box.left(), box.top() + kYOffset, box.width, box.height);
    const QString name = toQString(view.name);
    const QFont fitted = fittedNameFont(name, box.width);
    painter.setFont(fitted);
    painter.setPen(kNameColour);
    const QString shown = QFontMetrics(fitted, this).elidedText(name, Qt::ElideRight, box.width - 2 * kNameMargin);
    painter.drawText(nameRect, Qt::AlignCenter | Qt::TextDontClip, shown);
    painter.setFont(nameFont_);
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

  // What the skin shows may have changed without a word to this widget (a
  // dialog chose another device): the buttons are renamed after the paint.
  if (!sameNames(namedButtons(*remote_), named_)) {
    QMetaObject::invokeMethod(this, &SkinWidget::nameButtons, Qt::QueuedConnection);
  }
}

const QImage& SkinWidget::pictureAtDeviceScale(size_t picture) {
  const qreal ratio = devicePixelRatioF();
  if (ratio != scaledRatio_) {
    // Nearest neighbour: every picture pixel becomes a block of whole device
    // pixels, crisp at any scale.
    for (size_t i = 0; i < skins_.size(); ++i) {
      scaled_[i] = skins_[i].scaled(skins_[i].size() * ratio, Qt::IgnoreAspectRatio, Qt::FastTransformation);
      scaled_[i].setDevicePixelRatio(ratio);
    }
    scaledRatio_ = ratio;
  }
  return scaled_[picture];
}

QFont SkinWidget::fittedNameFont(const QString& name, int boxWidth) const {
  QFont font = nameFont_;
  const qreal room = boxWidth - 2 * kNameMargin;
  for (int stretch = 100 - kStretchStep;
       stretch >= kNarrowestStretch && QFontMetricsF(font, this).horizontalAdvance(name) > room;
       stretch -= kStretchStep) {
    font.setStretch(stretch);
  }
  return font;
}

void SkinWidget::nameButtons() {
  named_ = namedButtons(*remote_);
  while (accessibleButtons_.size() < named_.size()) {
    auto* button = new AccessibleSkinButton(this);
    // An assistive tool's press is a tap on the button it stands over: down and up at once.
    connect(button, &QAbstractButton::clicked, this, [this, button] {
      if (penHeld_ || heldKey_ != 0) return;
      const QPoint centre = button->geometry().center();
      remote_->penDown(clampedCoordinate(centre.x()), clampedCoordinate(centre.y()));
      remote_->penUp();
    });
    accessibleButtons_.push_back(button);
  }
  for (size_t i = 0; i < accessibleButtons_.size(); ++i) {
    QAbstractButton& button = *accessibleButtons_[i];
    button.setVisible(i < named_.size());
    if (i >= named_.size()) continue;
    button.setGeometry(toQRect(named_[i].rect));
    button.setAccessibleName(toQString(named_[i].name));
    button.setEnabled(named_[i].available);
  }
}

bool SkinWidget::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip || remote_ == nullptr) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  // In hit-test order, so where hot spots overlap the tip names the button a tap takes.
  for (const NamedButton& button : namedButtons(*remote_)) {
    const QRect area = toQRect(button.rect);
    if (button.available && area.contains(help->pos())) {
      QToolTip::showText(help->globalPos(), toQString(button.name), this, area);
      return true;
    }
  }
  QToolTip::hideText();
  event->ignore();
  return true;
}

void SkinWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || remote_ == nullptr) return;
  if (heldKey_ != 0) {
    penRefused_ = true;
    return;
  }
  penHeld_ = true;
  const QPoint at = event->position().toPoint();
  remote_->penDown(clampedCoordinate(at.x()), clampedCoordinate(at.y()));
}

void SkinWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || remote_ == nullptr) return;
  penHeld_ = false;
  if (!std::exchange(penRefused_, false)) remote_->penUp();
}

void SkinWidget::keyPressEvent(QKeyEvent* event) {
  const std::optional<SkinButton> button = skinButtonForKey(event->key(), event->modifiers());
  if (!button || remote_ == nullptr) {
    QWidget::keyPressEvent(event);
    return;
  }
  // The keyboard's own repeats are no new presses: the worker repeats a held
  // key as it repeats a held button.
  if (event->isAutoRepeat() || penHeld_ || heldKey_ != 0) return;
  heldKey_ = event->key();
  heldScanCode_ = event->nativeScanCode();
  if (!pressSkinButton(*remote_, *button)) heldKey_ = 0;
}

void SkinWidget::keyReleaseEvent(QKeyEvent* event) {
  const bool held = heldKey_ != 0 && (heldScanCode_ != 0 ? event->nativeScanCode() == heldScanCode_
                                                          : event->key() == heldKey_);
  if (!held || event->isAutoRepeat() || remote_ == nullptr) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  heldKey_ = 0;
  remote_->penUp();
}

void SkinWidget::focusOutEvent(QFocusEvent* event) {
  // The release of a key held while the focus leaves goes elsewhere; the
  // button is let go now rather than repeat on.
  if (heldKey_ != 0 && remote_ != nullptr) {
    heldKey_ = 0;
    remote_->penUp();
  }
  QWidget::focusOutEvent(event);
}

}  // namespace zapvane
