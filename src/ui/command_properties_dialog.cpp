#include "ui/command_properties_dialog.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/user_device_actions.h"

namespace zapvane {

namespace {

constexpr int kNameWidthChars = 16;  // a 13-character name with room to spare

}  // namespace

CommandPropertiesDialog::CommandPropertiesDialog(const DialogContext& context)
    : QDialog(context.owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context),
      name_(new QLineEdit(this)) {
  setObjectName(QStringLiteral("commandProperties"));
  setWindowTitle(QStringLiteral("Command properties"));

  name_->setObjectName(QStringLiteral("name"));
  name_->setMinimumWidth(QFontMetrics(font()).averageCharWidth() * kNameWidthChars);
  auto* field = new QHBoxLayout;
  field->addWidget(new QLabel(QStringLiteral("Name :"), this));
  field->addWidget(name_, 1);
  auto* group = new QGroupBox(QStringLiteral("Command name"), this);
  group->setLayout(field);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &CommandPropertiesDialog::storeName);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(ok);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CommandPropertiesDialog::storeName() {
  nameCommand(context_.remote, name_->text().toStdU16String());
  accept();
}

}  // namespace zapvane
