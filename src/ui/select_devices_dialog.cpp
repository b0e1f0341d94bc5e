#include "ui/select_devices_dialog.h"

#include <QFontMetrics>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/qt_resources.h"
#include "app/settings_actions.h"

namespace zapvane {

SelectDevicesDialog::SelectDevicesDialog(const DialogContext& context)
    : QDialog(context.owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                 Qt::WindowCloseButtonHint),
      context_(context),
      list_(new QListWidget(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)) {
  setWindowTitle(QStringLiteral("Select Devices"));
  const QFontMetrics metrics(font());

  list_->setObjectName(QStringLiteral("devices"));
  list_->setSelectionMode(QAbstractItemView::MultiSelection);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const Remote& core = context_.remote;
  for (const std::string& text : deviceListTexts(core.catalogue)) list_->addItem(QString::fromStdString(text));
  // Wide enough for every built-in name at the desktop's font; a long user
  // device name may still be cut short.
  const int textWidth =
      list_->sizeHintForColumn(0) + list_->verticalScrollBar()->sizeHint().width() + 2 * list_->frameWidth();
  list_->setFixedSize(std::clamp(textWidth, unitsAcross(metrics, 102), unitsAcross(metrics, 160)),
                      unitsDown(metrics, 114));
  for (int32_t row : preselectedRows(core.selection, core.catalogue.catalogueCount)) list_->item(row)->setSelected(true);

  ok_->setObjectName(QStringLiteral("ok"));
  connect(ok_, &QPushButton::clicked, this, &SelectDevicesDialog::storeSelection);

  auto* layout = new QVBoxLayout(this);
  const int marginX = unitsAcross(metrics, 3);
  layout->setContentsMargins(marginX, unitsDown(metrics, 2), marginX, unitsDown(metrics, 4));
  layout->setSpacing(unitsDown(metrics, 3));
  layout->addWidget(list_);
  layout->addWidget(ok_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void SelectDevicesDialog::storeSelection() {
  std::vector<int32_t> rows;
  for (int row = 0; row < list_->count(); ++row) {
    if (list_->item(row)->isSelected()) rows.push_back(row);
  }
  applyDeviceSelection(context_.remote, std::move(rows));
  accept();
}

}  // namespace zapvane
