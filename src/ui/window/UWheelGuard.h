#pragma once

#include <QObject>

class QAbstractScrollArea;

// Inside a scrolling panel the mouse wheel scrolls the panel: a slider or a list that merely
// passes under the pointer keeps its value. Only the one that has the focus (clicked, or reached
// with the Tab key) takes the wheel for its own. Watches every event of the application, so that
// the rows added to the panel later are guarded too; lives as long as its parent.
class TWheelGuard : public QObject {
public:
  TWheelGuard(QAbstractScrollArea& Area, QObject* Parent);

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  QAbstractScrollArea& FArea;
};
