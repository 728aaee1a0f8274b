#include "ui/window/UPlayerList.h"

TPlayerList::TPlayerList(QWidget* Parent) : QComboBox(Parent) {}

void TPlayerList::showPopup() {
  emit DroppedDown();
  QComboBox::showPopup();
}
