#include "ui/learn_function_dialog.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/user_device_actions.h"
#include "app/learning_actions.h"

namespace zapvane {

namespace {

constexpr const char* kSteps[] = {
    "1. Direct your remote controller to IR sensor  in your PDA (about 0.5 inch apart).",
    "2. Tap on \"Start learn\".",
    "3. Tap on skin button which you want to learn.",
    "4. Press and hold button on your remote controller and wait until you get back!",
    "5. Repeate these steps 1-4 for all required commands.",
    "6. Finnaly select \"End learning\". From this moment you can use learned commands.",
};
constexpr const char* kTips[] = {
    "1.  If learned commands do not work, tap on \"Options\"->\"Setup IR port\" , \"Auto Adjust\"  (don't need "
    "to learn again)!!!",
    "2. Hold skin button down up to 2-4 second!",
};
constexpr int kTextWidthChars = 46;

QLabel* instruction(QWidget* parent, const char* text, int width) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  // Plain, so the texts' doubled spaces and "->" stay as written.
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  // Fixed to the wrapped text: a group box sizes itself from its labels'
  // unwrapped hints and would clip a tip otherwise.
  label->setFixedSize(width, label->heightForWidth(width));
  return label;
}

}  // namespace

LearnFunctionDialog::LearnFunctionDialog(const DialogContext& context)
    : QDialog(context.owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), context_(context) {
  setObjectName(QStringLiteral("learnFunction"));
  setWindowTitle(QStringLiteral("Learn function"));
  enterLearningMode(context_.remote);
  const int width = QFontMetrics(font()).averageCharWidth() * kTextWidthChars;

  auto* layout = new QVBoxLayout(this);
  for (const char* step : kSteps) layout->addWidget(instruction(this, step, width));
  auto* tipsLayout = new QVBoxLayout;
  for (const char* tip : kTips) tipsLayout->addWidget(instruction(this, tip, width - 2 * layout->spacing()));
  auto* tips = new QGroupBox(QStringLiteral("Tips"), this);
  tips->setLayout(tipsLayout);
  layout->addWidget(tips);

  auto* start = new QPushButton(QStringLiteral("Start learn"), this);
  start->setObjectName(QStringLiteral("startLearn"));
  auto* end = new QPushButton(QStringLiteral("End learning"), this);
  end->setObjectName(QStringLiteral("endLearning"));
  connect(start, &QPushButton::clicked, this, &LearnFunctionDialog::startLearn);
  connect(end, &QPushButton::clicked, this, &LearnFunctionDialog::endLearningNow);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(start, 1);
  buttons->addWidget(end, 1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void LearnFunctionDialog::startLearn() {
  enterLearningMode(context_.remote);
  context_.window.updateMenuStates();
  accept();
}

void LearnFunctionDialog::endLearningNow() {
  endLearning(context_.remote);
  context_.window.updateMenuStates();
  // Outside learning mode the skin follows the selection again (a bare one
  // when it is empty), and a new device is now its last entry.
  context_.window.repaintNow();
  accept();
}

}  // namespace zapvane
