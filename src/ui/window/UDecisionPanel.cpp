#include "ui/window/UDecisionPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "agents/UPlayer2D.h"
#include "decision/UDecisionRecord.h"
#include "decision/UListOfFutures.h"
#include "ui/window/UWeightBar.h"

namespace {

enum { ocParam, ocPush, ocFutures, ocScore, ocWeight, ocBar };

QString Number(long double X, int Digits = 4) {
  return QString::number(static_cast<double>(X), 'g', Digits);
}

QTableWidget* MakeTable(const QStringList& Columns, QWidget* Parent) {
  auto* table = new QTableWidget(0, static_cast<int>(Columns.size()), Parent);
  table->setHorizontalHeaderLabels(Columns);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table->verticalHeader()->setDefaultSectionSize(20);
  return table;
}

void SetCell(QTableWidget& Table, int Row, int Column, const QString& Text) {
  auto* item = new QTableWidgetItem(Text);
  item->setTextAlignment(Column == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                     : Qt::AlignRight | Qt::AlignVCenter);
  Table.setItem(Row, Column, item);
}

// The bar of each weight: from a zero line at the left, or in the middle when a weight is
// negative, to the weight's share of the largest magnitude.
void SetBars(QTableWidget& Table, const TDecisionRecord& Record) {
  long double largest = 0;
  bool negative = false;
  for (const TDecisionRecord::TOption& option : Record.Options) {
    largest = std::max(largest, std::fabs(option.Weight));
    negative = negative || option.Weight < 0;
  }
  const double zero = negative ? 0.5 : 0.0;
  const double reach = negative ? 0.5 : 1.0;
  for (int k = 0; k < Table.rowCount(); ++k) {
    const long double weight = Record.Options[static_cast<size_t>(k)].Weight;
    const double share = largest > 0 ? static_cast<double>(weight / largest) : 0.0;
    auto* item = new QTableWidgetItem;
    item->setData(TWeightBar::Role, QPointF(zero, zero + share * reach));
    Table.setItem(k, ocBar, item);
  }
}

} // namespace

TDecisionPanel::TDecisionPanel(QWidget* Parent)
    : QWidget(Parent), FHeader(new QLabel(this)), FNote(new QLabel(this)),
      FOptions(MakeTable({"Pushed", "Push", "Futures", "Score", "Weight", "Share"}, this)),
      FParams(MakeTable({"Parameter", "Combined", "Corrected", "Sensitivity", "Action"}, this)) {
  FHeader->setObjectName("LbDecision");
  FNote->setObjectName("LbDecisionNote");
  FNote->setWordWrap(true);
  FOptions->setObjectName("TblOptions");
  FOptions->setItemDelegateForColumn(ocBar, new TWeightBar(FOptions));
  FOptions->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  FOptions->horizontalHeader()->setSectionResizeMode(ocBar, QHeaderView::Stretch);
  FParams->setObjectName("TblParams");
  for (int column : {0, 3})
    FParams->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  FParams->setMaximumHeight(90);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FHeader);
  layout->addWidget(FNote);
  layout->addWidget(FOptions, 1);
  layout->addWidget(new QLabel("How the blend of the options became the action:", this));
  layout->addWidget(FParams);
  auto* legend = new QLabel(
      "Futures: the distinct cells its futures ended in. Score: by the AI level, before "
      "normalisation. Weight: its share in the blend. Combined: the blend of the options' pushes; "
      "Corrected: moved toward the best of the score curve (level 6); Sensitivity: the scale of "
      "the pushes, adapted at level 8; Action: the value the decision set.",
      this);
  legend->setWordWrap(true);
  layout->addWidget(legend);
}

void TDecisionPanel::Show(TPlayer2D* Player, const QString& Name) {
  static const TDecisionRecord none;
  const TDecisionRecord& record = Player != nullptr ? Player->Futures().LastDecision() : none;
  QStringList params;
  for (size_t p = 0; p < record.Params.size(); ++p)
    params << QString::fromStdString(record.ParamName(static_cast<int32_t>(p)));
  if (Player == nullptr)
    FHeader->setText("No player chosen.");
  else if (record.AILevel == 0) // every decision is made at a level, from 1 up
    FHeader->setText(
        QString("No decision of %1 yet (AI level %2).").arg(Name).arg(Player->AILevel()));
  else
    FHeader->setText(QString("Last decision of %1 (AI level %2): %3 futures, %4 counted")
                         .arg(Name)
                         .arg(record.AILevel)
                         .arg(record.FutureCount)
                         .arg(record.DotCount));
  ShowNote(record);
  ShowOptions(record, params);
  ShowParams(record, params);
}

void TDecisionPanel::ShowNote(const TDecisionRecord& Record) {
  QString note;
  if (Record.Options.empty())
    note = "No decision yet: it comes with the next step.";
  else if (Record.AILevel >= 1 && Record.AILevel <= 3) {
    const bool none = std::all_of(Record.Options.begin(), Record.Options.end(),
                                  [](const TDecisionRecord::TOption& O) { return O.Weight == 0; });
    note = none ? QString("AI level %1 weighs every option 0 while the player is dead: the action "
                          "is 0.")
                      .arg(Record.AILevel)
                : QString("AI level %1 weighs every option the same: each free parameter is the "
                          "sum of the options' pushes, whatever their futures.")
                      .arg(Record.AILevel);
  }
  FNote->setText(note);
  FNote->setVisible(!note.isEmpty());
}

void TDecisionPanel::ShowOptions(const TDecisionRecord& Record, const QStringList& Params) {
  FOptions->setRowCount(static_cast<int>(Record.Options.size()));
  for (int k = 0; k < FOptions->rowCount(); ++k) {
    const TDecisionRecord::TOption& option = Record.Options[static_cast<size_t>(k)];
    SetCell(*FOptions, k, ocParam,
            option.Param >= 0 && option.Param < Params.size() ? Params[option.Param] : "none");
    SetCell(*FOptions, k, ocPush, Number(option.Push, 6));
    SetCell(*FOptions, k, ocFutures, QString::number(option.Futures));
    SetCell(*FOptions, k, ocScore, Number(option.Score));
    SetCell(*FOptions, k, ocWeight, Number(option.Weight, 3));
  }
  SetBars(*FOptions, Record);
}

void TDecisionPanel::ShowParams(const TDecisionRecord& Record, const QStringList& Params) {
  FParams->setRowCount(static_cast<int>(Record.Params.size()));
  for (int p = 0; p < FParams->rowCount(); ++p) {
    const TDecisionRecord::TParam& param = Record.Params[static_cast<size_t>(p)];
    SetCell(*FParams, p, 0, p < Params.size() ? Params[p] : QString::number(p));
    SetCell(*FParams, p, 1, Number(param.Combined, 5));
    // Level 6 corrects only a parameter that three options or more pushed away from 0.
    SetCell(*FParams, p, 2,
            param.YShapeCorrected ? Number(param.Action, 5)
            : Record.AILevel == 6 ? QString("not applied")
                                  : QString("—"));
    SetCell(*FParams, p, 3,
            param.Sensitivity == param.SensitivityBefore
                ? Number(param.Sensitivity, 3)
                : Number(param.SensitivityBefore, 3) + " → " + Number(param.Sensitivity, 3));
    SetCell(*FParams, p, 4, Number(param.Action, 5));
  }
}
