#include "WindowKit.h"

#include <QFile>
#include <QTimer>

#include "agents/UPlayer2D.h"
#include "goals/UTeam.h"
#include "ui/window/UFormTest2D.h"
#include "ui/window/URunLoop.h"
#include "world/UTrack2D.h"

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

QByteArray HandMadeBmp(int32_t Bits, int32_t Width, int32_t Height,
                       const std::function<bool(int32_t, int32_t)>& Black) {
  const int32_t paletteBytes = Bits == 8 ? 256 * 4 : 0;
  const int32_t rowBytes = (Width * Bits / 8 + 3) / 4 * 4;
  const int32_t pixelsAt = 14 + 40 + paletteBytes;
  QByteArray bmp(pixelsAt + rowBytes * Height, '\0');
  auto put = [&](int32_t At, uint32_t Value, int32_t Bytes) {
    for (int32_t i = 0; i < Bytes; ++i)
      bmp[At + i] = static_cast<char>((Value >> (8 * i)) & 0xFF);
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put(2, bmp.size(), 4);
  put(10, pixelsAt, 4);
  put(14, 40, 4); // the header's own size
  put(18, Width, 4);
  put(22, Height, 4);
  put(26, 1, 2); // planes
  put(28, Bits, 2);
  if (Bits == 8) {
    put(46, 256, 4);
    for (int32_t i = 1; i < 256; ++i)
      put(54 + 4 * i, 0xFFFFFF, 4);
  }
  for (int32_t y = 0; y < Height; ++y) {
    const int32_t row = pixelsAt + (Height - 1 - y) * rowBytes; // bottom-up
    for (int32_t x = 0; x < Width; ++x) {
      const bool black = Black(x, y);
      if (Bits == 8)
        put(row + x, black ? 0 : 7, 1);
      else
        put(row + 4 * x, black ? 0 : 0xFFFFFFFF, 4);
    }
  }
  return bmp;
}

bool WriteFile(const QString& Name, const QByteArray& Bytes) {
  QFile file(Name);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         file.write(Bytes) == Bytes.size() && file.flush();
}

std::optional<QString> TScriptedDialogs::OpenPicture(QWidget*, const QString&,
                                                     const QString& Folder) {
  Folders.push_back(Folder);
  return Next(OpenAnswers);
}

std::optional<QString> TScriptedDialogs::SaveFile(QWidget*, const QString& Folder,
                                                  const QString& Filter) {
  Folders.push_back(Folder);
  SaveFilters.push_back(Filter);
  return Next(SaveAnswers);
}

bool TScriptedDialogs::ConfirmReplace(QWidget*, const QString& FileName) {
  ReplaceAsked.push_back(FileName);
  if (ReplaceAnswers.empty())
    return false;
  const bool answer = ReplaceAnswers.front();
  ReplaceAnswers.pop_front();
  return answer;
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
  // Two runners on any machine, so that what the tests see has been through the workers.
  Form->Track().SetThreads(2);
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
  QObject context;
  bool done = false;
  QObject::connect(&Form->RunLoop(), &TRunLoop::PassBegun, &context, [&] {
    if (done || !Form->RunLoop().InStep())
      return;
    if (!While()) {
      done = true;
      Click("PauseBtn");
    }
  });
  Click("StartBtn");
  WaitForRunEnd();
}

void TWindowTest::WaitForRunEnd() const {
  while (Form->RunLoop().Running())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TWindowTest::RunPasses(int64_t Passes) const {
  const int64_t last = Form->RunLoop().PassCount() + Passes;
  RunWhile([&] { return Form->RunLoop().PassCount() < last; });
}

void TWindowTest::ExpectPassesWithoutError(int64_t Passes) const {
  const size_t reports = Dialogs->Reports.size();
  const int64_t passes = Form->RunLoop().PassCount();
  RunPasses(Passes);
  EXPECT_EQ(Form->RunLoop().PassCount(), passes + Passes);
  EXPECT_EQ(Dialogs->Reports.size(), reports);
}

TPlayer2D& TWindowTest::Member(int32_t I) const {
  return *Form->CurrentTeam().Members(I)->AsPlayer2D();
}

int32_t TWindowTest::Members() const {
  return Form->CurrentTeam().MemberCount();
}
