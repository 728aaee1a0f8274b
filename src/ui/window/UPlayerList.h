#pragma once

#include <QComboBox>

// The list of players to choose from; says when it drops down, so that its entries can be
// rebuilt from the members just before the user sees them.
class TPlayerList : public QComboBox {
  Q_OBJECT
public:
  explicit TPlayerList(QWidget* Parent = nullptr);

  void showPopup() override;

signals:
  void DroppedDown();
};
