#include "ui/about_dialog.h"

#include "app/version.h"
#include "ui/qt_resources.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace zapvane {

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

  auto* name = new QLabel(QStringLiteral("Zapvane ") + QString::fromUtf8(kShortVersion), this);
  name->setObjectName(QStringLiteral("name"));
  QRect nameRect = fromDialogUnits(metrics, 27, 4, 81, 8);
  nameRect.setHeight(std::max(nameRect.height(), metrics.height()));
  name->setGeometry(nameRect);

  // OK ends it as the close box and Escape do: About changes nothing.
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setGeometry(fromDialogUnits(metrics, 56, 40, 48, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  setFixedSize(fromDialogUnits(metrics, 0, 0, 108, 59).size());
}

}  // namespace zapvane
