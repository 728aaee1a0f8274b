// How long the window keeps a user's action waiting while the world computes a long step: a ring
// of 18 karts, 20 s futures and at least 2,000 futures per step, as a user can set them. Another
// thread posts an event every 20 ms, stamped with the time it was posted; the window's thread
// records how late each is delivered. Prints the median, the 90th percentile and the largest
// delay in milliseconds, and the median step time. Run in a Release build:
//   build/bench/kartsim_click_delay [passes]
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "ui/window/UFormTest2D.h"
#include "ui/window/UKartsimApp.h"
#include "ui/window/URunLoop.h"
#include "ui_UFormTest2D.h"

namespace {

using TClock = std::chrono::steady_clock;

class TStampedEvent : public QEvent {
public:
  static const QEvent::Type Kind;
  explicit TStampedEvent(TClock::time_point Posted) : QEvent(Kind), FPosted(Posted) {}
  TClock::time_point FPosted;
};
const QEvent::Type TStampedEvent::Kind = static_cast<QEvent::Type>(QEvent::registerEventType());

// Receives the stamped events on the window's thread.
class TReceiver : public QObject {
public:
  std::vector<double> DelaysMs;
  bool event(QEvent* Event) override {
    if (Event->type() != TStampedEvent::Kind)
      return QObject::event(Event);
    const auto posted = static_cast<TStampedEvent*>(Event)->FPosted;
    DelaysMs.push_back(std::chrono::duration<double, std::milli>(TClock::now() - posted).count());
    return true;
  }
};

double Percentile(std::vector<double> Values, double P) {
  if (Values.empty())
    return 0;
  std::sort(Values.begin(), Values.end());
  return Values[static_cast<size_t>(P * (Values.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  const int64_t passes = argc > 1 ? std::atoll(argv[1]) : 3;
  TKartsimApp app(argc, argv);
  TFormTest2D form;
  form.show();
  Ui::TFormTest2D& ui = form.Controls();
  ui.Addacircleofkarts1->trigger();
  ui.EdSeconds->setValue(20);
  ui.EdMinFutures->setValue(2000);

  TReceiver receiver;
  std::atomic<bool> stop{false};
  std::thread poster([&] {
    while (!stop) {
      QCoreApplication::postEvent(&receiver, new TStampedEvent(TClock::now()));
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  std::vector<double> stepMs;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (form.RunLoop().PassCount() >= passes)
      ui.PauseBtn->click();
    if (form.RunLoop().PassCount() > 0 && !form.RunLoop().Running())
      QCoreApplication::quit();
  });
  watch.start(1);
  int64_t seen = 0;
  QTimer steps;
  QObject::connect(&steps, &QTimer::timeout, [&] {
    if (form.RunLoop().PassCount() > seen) {
      seen = form.RunLoop().PassCount();
      stepMs.push_back(form.RunLoop().LastStepMs());
    }
  });
  steps.start(1);
  QTimer::singleShot(0, [&] { ui.StartBtn->click(); });
  app.exec();
  stop = true;
  poster.join();

  // Then Close, 300 ms into a step, and how long the window takes to go.
  watch.stop();
  steps.stop();
  TClock::time_point asked{};
  double closeMs = -1;
  QTimer closed;
  QObject::connect(&closed, &QTimer::timeout, [&] {
    if (asked != TClock::time_point{} && !form.isVisible()) {
      closeMs = std::chrono::duration<double, std::milli>(TClock::now() - asked).count();
      QCoreApplication::quit();
    }
  });
  closed.start(1);
  QTimer::singleShot(300, [&] {
    asked = TClock::now();
    form.close();
  });
  QTimer::singleShot(0, [&] { ui.StartBtn->click(); });
  app.exec();
  std::printf("close delay %.0f ms\n", closeMs);
  std::printf("passes %lld, events %zu: delay median %.1f ms, 90th percentile %.1f ms, max %.1f "
              "ms; step median %.0f ms\n",
              static_cast<long long>(form.RunLoop().PassCount()), receiver.DelaysMs.size(),
              Percentile(receiver.DelaysMs, 0.5), Percentile(receiver.DelaysMs, 0.9),
              Percentile(receiver.DelaysMs, 1.0), Percentile(stepMs, 0.5));
  return 0;
}
