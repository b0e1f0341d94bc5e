#include "ui/user_devices_dialog.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/learning_actions.h"
#include "ui/new_user_device_dialog.h"
#include "app/pen_and_menu.h"
#include "ui/rename_dialog.h"

namespace zapvane {

namespace {

constexpr int kListWidthChars = 30;  // a typical name shows whole; a 48-unit one is cut short
constexpr int kListRows = 8;

}  // namespace

UserDevicesDialog::UserDevicesDialog(const DialogContext& context)
    : QDialog(context.owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                 Qt::WindowCloseButtonHint),
      context_(context),
      list_(new QListWidget(this)) {
  setObjectName(QStringLiteral("userDevices"));
  setWindowTitle(QStringLiteral("User devices"));
  const QFontMetrics metrics(font());

  list_->setObjectName(QStringLiteral("devices"));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const std::u16string& name : userDeviceNames(context_.remote.catalogue)) {
    list_->addItem(QString::fromStdU16String(name));
  }
  list_->setFixedSize(metrics.averageCharWidth() * kListWidthChars,
                      metrics.lineSpacing() * kListRows + 2 * list_->frameWidth());

  auto* addNew = new QPushButton(QStringLiteral("Add new"), this);
  addNew->setObjectName(QStringLiteral("addNew"));
  auto* modify = new QPushButton(QStringLiteral("Modify"), this);
  modify->setObjectName(QStringLiteral("modify"));
  connect(addNew, &QPushButton::clicked, this, &UserDevicesDialog::addNew);
  connect(modify, &QPushButton::clicked, this, &UserDevicesDialog::modify);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(addNew, 1);
  buttons->addWidget(modify, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void UserDevicesDialog::addNew() {
  const ListOutcome outcome = addNewDevice(context_.remote, [this] {
    NewUserDeviceDialog naming(childContext());
    naming.exec();
  });
  if (outcome == ListOutcome::learn) learnEditedDevice();
}

void UserDevicesDialog::modify() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  const int32_t row = selected.isEmpty() ? -1 : list_->row(selected.front());
  const ListOutcome outcome = modifyDevice(context_.remote, row, [this, row] {
    RenameDialog naming(childContext(), row);
    naming.exec();
  });
  switch (outcome) {
    case ListOutcome::nothingSelected: context_.window.show(modifyRefusal()); break;
    case ListOutcome::learn: learnEditedDevice(); break;
    case ListOutcome::stayOpen: break;
  }
}

void UserDevicesDialog::learnEditedDevice() {
  // The command a finished capture reports too: it shows the edited device
  // and runs Learn function, while the list waits behind it.
  context_.remote.command(MenuCommand::learnDialog);
  accept();
}

}  // namespace zapvane
