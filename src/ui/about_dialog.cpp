#include "ui/about_dialog.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <algorithm>

// The icon is compiled into a static library, whose resources the linker
// keeps only when something names them.
static void initialiseIconResources() { Q_INIT_RESOURCE(zapvane); }

namespace zapvane {

namespace {

// Placed in dialog units of the dialog's own font (a quarter of the average
// character width across, an eighth of the line height down).
QRect fromDialogUnits(const QFontMetrics& metrics, int x, int y, int width, int height) {
  const int average = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
  auto across = [average](int units) { return units * average / 4; };
  auto down = [&metrics](int units) { return units * metrics.height() / 8; };
  return QRect(across(x), down(y), across(width), down(height));
}

QIcon programIcon() {
  static const bool registered = (initialiseIconResources(), true);
  (void)registered;
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addFile(QStringLiteral(":/icons/icon_%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("About"));
  const QFontMetrics metrics(font());

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  const QRect iconRect = fromDialogUnits(metrics, 3, 6, 20, 20);
  icon->setGeometry(iconRect);
  icon->setAlignment(Qt::AlignCenter);
  const int side = std::min(iconRect.width(), iconRect.height()) >= 32 ? 32 : 16;
  icon->setPixmap(programIcon().pixmap(side, side));

  auto* name = new QLabel(QStringLiteral("Zapvane 1.2"), this);
  name->setObjectName(QStringLiteral("name"));
  QRect nameRect = fromDialogUnits(metrics, 27, 4, 81, 8);
  nameRect.setHeight(std::max(nameRect.height(), metrics.height()));
  name->setGeometry(nameRect);

  setFixedSize(fromDialogUnits(metrics, 0, 0, 108, 59).size());
}

}  // namespace zapvane
