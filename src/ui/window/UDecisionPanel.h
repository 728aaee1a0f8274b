#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QTableWidget;
class TPlayer2D;
struct TDecisionRecord;

// The last decision of the chosen player, as its list of futures recorded it: one row and a bar
// per option (the free parameter its first action pushed, the push, its counted futures, its
// score and its weight in the blend), and per free parameter how the blend became the action.
class TDecisionPanel : public QWidget {
  Q_OBJECT
public:
  explicit TDecisionPanel(QWidget* Parent = nullptr);

  // Shows the last decision of Player, called Name; nothing when there is no player.
  void Show(TPlayer2D* Player, const QString& Name);

private:
  void ShowOptions(const TDecisionRecord& Record, const QStringList& Params);
  void ShowParams(const TDecisionRecord& Record, const QStringList& Params);
  void ShowNote(const TDecisionRecord& Record);

  QLabel* FHeader;
  QLabel* FNote;
  QTableWidget* FOptions;
  QTableWidget* FParams;
};
