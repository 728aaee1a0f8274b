#include "ui/window/UWheelGuard.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>

TWheelGuard::TWheelGuard(QAbstractScrollArea& Area, QObject* Parent)
    : QObject(Parent), FArea(Area) {
  QCoreApplication::instance()->installEventFilter(this);
}

bool TWheelGuard::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() != QEvent::Wheel || !Watched->isWidgetType())
    return false;
  auto* control = static_cast<QWidget*>(Watched);
  // The panel's own scroll bars scroll it: they are sliders too.
  const bool valued = (qobject_cast<QAbstractSlider*>(control) != nullptr &&
                       qobject_cast<QScrollBar*>(control) == nullptr) ||
                      qobject_cast<QComboBox*>(control) != nullptr;
  if (!valued || control->hasFocus() || !FArea.isAncestorOf(control))
    return false;
  QCoreApplication::sendEvent(FArea.viewport(), Event);
  return true;
}
