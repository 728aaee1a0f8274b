#include "WindowKit.h"

#include <QTimer>

#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"
#include "ui/window/URunLoop.h"

namespace {

// The next scripted answer; cancelled when none is left.
std::optional<QString> Next(std::deque<std::optional<QString>>& Answers) {
  if (Answers.empty())
    return std::nullopt;
  std::optional<QString> answer = Answers.front();
  Answers.pop_front();
  return answer;
}

} // namespace

std::optional<QString> TScriptedDialogs::OpenPicture(QWidget*, const QString&, const QString&) {
  return Next(OpenAnswers);
}

std::optional<QString> TScriptedDialogs::SaveFile(QWidget*, const QString&) {
  return Next(SaveAnswers);
}

std::optional<QColor> TScriptedDialogs::ChooseColor(QWidget*, const QColor&) {
  if (OnChooseColor)
    OnChooseColor();
  return ColorAnswer;
}

void TWindowTest::SetUp() {
  auto dialogs = std::make_unique<TScriptedDialogs>();
  Dialogs = dialogs.get();
  Form = std::make_unique<TFormTest2D>(std::move(dialogs));
  Form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
}

void TWindowTest::TearDown() {
  Form.reset();
}

void TWindowTest::Click(const char* Button) const {
  QAbstractButton& button = Find<QAbstractButton>(Button);
  // Near the left edge: on a check box's mark, within a button.
  QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(6, button.height() / 2));
}

void TWindowTest::Choose(const char* Item) const {
  QMetaObject::invokeMethod(&Find<QAction>(Item), &QAction::trigger, Qt::QueuedConnection);
  QCoreApplication::processEvents();
}

void TWindowTest::RunWhile(const std::function<bool()>& While) const {
  QTimer timer;
  bool done = false;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (done || !Form->RunLoop().InStep())
      return;
    if (!While()) {
      done = true;
      Click("PauseBtn");
    }
  });
  timer.start(0);
  Click("StartBtn");
}

void TWindowTest::RunPasses(int64_t Passes) const {
  const int64_t last = Form->RunLoop().PassCount() + Passes;
  RunWhile([&] { return Form->RunLoop().PassCount() < last; });
}

TPlayer2D& TWindowTest::Member(int32_t I) const {
  return *Form->CurrentTeam().Members(I)->AsPlayer2D();
}

int32_t TWindowTest::Members() const {
  return Form->CurrentTeam().MemberCount();
}
