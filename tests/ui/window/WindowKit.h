#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QByteArray>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ui/window/UDialogs.h"
#include "ui/window/UErrorReport.h"
#include "ui/window/UFormTest2D.h"

class TPlayer2D;

// A bitmap file's bytes written one by one, so that its pixel format is exactly the one asked
// for: 8 bits through a palette (entry 0 black, every other white) or 32 bits. Pixel (x, y) is
// pure black where Black says so, white elsewhere.
QByteArray HandMadeBmp(int32_t Bits, int32_t Width, int32_t Height,
                       const std::function<bool(int32_t, int32_t)>& Black);
// Writes the bytes to the file, replacing it; false when it cannot.
bool WriteFile(const QString& Name, const QByteArray& Bytes);

// Dialogs that answer as the test says and remember what they were asked.
class TScriptedDialogs : public TDialogs {
public:
  std::deque<std::optional<QString>> OpenAnswers; // nothing left: cancelled
  std::deque<std::optional<QString>> SaveAnswers;
  std::optional<QColor> ColorAnswer;
  std::function<void()> OnChooseColor; // runs before the colour is answered (may throw)
  std::vector<TErrorReport> Reports;
  int32_t Popups = 0;

  std::optional<QString> OpenPicture(QWidget*, const QString&, const QString&) override;
  std::optional<QString> SaveFile(QWidget*, const QString&, const QString& Filter = {}) override;
  std::vector<QString> SaveFilters; // the filter of every save dialog asked for
  std::vector<QString> Folders;     // the folder every file dialog opened in
  std::deque<bool> ReplaceAnswers;  // nothing left: no
  std::vector<QString> ReplaceAsked;
  bool ConfirmReplace(QWidget*, const QString& FileName) override;
  std::optional<QColor> ChooseColor(QWidget*, const QColor&) override;
  void Popup(QMenu&, const QPoint&) override { ++Popups; }
  void ShowReport(QWidget*, const TErrorReport& Report) override { Reports.push_back(Report); }
};

// A shown main window with scripted dialogs, and the user's hands on it.
class TWindowTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  template <class T> T& Find(const char* Name) const {
    T* control = Form->findChild<T*>(Name);
    if (control == nullptr)
      ADD_FAILURE() << "no control " << Name;
    return *control;
  }
  // A mouse click on a button or check box, delivered as the toolkit delivers the user's.
  void Click(const char* Button) const;
  void Trigger(const char* Item) const { Find<QAction>(Item).trigger(); }
  // The item chosen through the event loop, as a menu delivers the user's choice: an error that
  // leaves its handler reaches the report instead of the caller.
  void Choose(const char* Item) const;
  void Slide(const char* Slider, int Position) const { Find<QSlider>(Slider).setValue(Position); }
  QString Text(const char* Label) const { return Find<QLabel>(Label).text(); }

  // Presses "Run"; While runs on the window's thread as each step begins on the simulation
  // thread (it must not touch the world then) until it returns false, then "Pause" is pressed.
  // Returns when the loop has ended.
  void RunWhile(const std::function<bool()>& While) const;
  // Lets the window's events go until the run loop has ended.
  void WaitForRunEnd() const;
  // Runs until the given number of passes have begun since the window opened.
  void RunPasses(int64_t Passes) const;
  // Runs that many passes more and expects them to go by without an error reported.
  void ExpectPassesWithoutError(int64_t Passes) const;

  TPlayer2D& Member(int32_t I) const;
  int32_t Members() const;

  TScriptedDialogs* Dialogs = nullptr;
  std::unique_ptr<TFormTest2D> Form;
};
