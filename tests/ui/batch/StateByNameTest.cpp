#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <sstream>

#include "agents/UPlayer2D.h"
#include "ui/batch/UBatchRecords.h"
#include "ui/qt/UQtPicture.h"
#include "ui/qt/USceneFile.h"
#include "world/URoster.h"
#include "world/UTrack2D.h"
#include "world/UWorld.h"

namespace {

// A kart and a rocket whose every parameter holds a value of its own, inside its bounds, and a
// reset value apart from it.
std::unique_ptr<TWorld> WorldOfDistinctValues() {
  auto world = std::make_unique<TWorld>(TQtPicture::LoadDefaultCircuit(), "", 3);
  TRoster roster(world->Track());
  roster.AddPlayer(TRoster::pkKart);
  roster.AddPlayer(TRoster::pkRocket);
  for (int32_t k = 0; k < world->Track().PlayerCount(); ++k) {
    TState& s = world->Track().Player2D(k).RealState();
    for (int32_t i = 0; i < s.ParamCount(); ++i) {
      TParamValues& p = s.Param(i);
      const double share = (i + 1 + 0.3 * k) / (s.ParamCount() + 3.0);
      const double x = p.MaxValue > p.MinValue ? p.MinValue + share * (p.MaxValue - p.MinValue)
                                               : 40 + 100 * share;
      p.Value = x;
      p.UpdateMilli();
      p.SetValue(x + 1e-4 * (p.MaxValue > p.MinValue ? p.MaxValue - p.MinValue : 1));
    }
  }
  return world;
}

} // namespace

TEST(StateByName, EveryParameterOfBothKindsReadsBackFromASceneByItsName) {
  const std::unique_ptr<TWorld> world = WorldOfDistinctValues();
  const QByteArray scene = TSceneFile::Encode(*world);
  const std::unique_ptr<TWorld> opened = TSceneFile::Decode(scene, "kinds");
  const QJsonArray players = QJsonDocument::fromJson(scene).object()["players"].toArray();
  ASSERT_EQ(opened->Track().PlayerCount(), 2);
  for (int32_t k = 0; k < 2; ++k) {
    const TState& before = world->Track().Player2D(k).RealState();
    const TState& after = opened->Track().Player2D(k).RealState();
    const QJsonObject written = players[k].toObject()["state"].toObject();
    EXPECT_EQ(written.size(), before.Schema().Count());
    for (int32_t i = 0; i < before.Schema().Count(); ++i) {
      const std::string& name = before.Schema().Name(i);
      EXPECT_EQ(written[QString::fromStdString(name)].toDouble(), before.Param(i).Value) << name;
      EXPECT_EQ(after.ParamByName(name).Value, before.Param(i).Value) << name;
      EXPECT_EQ(after.ParamByName(name).Milli, before.Param(i).Milli) << name;
    }
  }
}

TEST(StateByName, TheCsvColumnsCarryTheParametersTheyAreNamedFor) {
  const std::unique_ptr<TWorld> world = WorldOfDistinctValues();
  const std::map<std::string, std::string> params = {
      {"x", "PosX"},   {"y", "PosY"},           {"angle", "Angle"},   {"vx", "VelX"},
      {"vy", "VelY"},  {"health", "Health"},    {"energy", "Energy"}, {"size", "Size"}};
  TBatchRecords records;
  records.Track(*world, 0);
  std::ostringstream csv;
  records.WriteCsvRows(csv, 0);
  std::vector<std::string> header;
  std::istringstream columns(TBatchRecords::CsvHeader());
  for (std::string c; std::getline(columns, c, ',');)
    header.push_back(c);
  std::istringstream rows(csv.str());
  int32_t k = 0;
  for (std::string row; std::getline(rows, row); ++k) {
    const TState& s = world->Track().Player2D(k).RealState();
    std::istringstream fields(row);
    size_t seen = 0;
    for (size_t c = 0; c < header.size(); ++c) {
      std::string field;
      ASSERT_TRUE(std::getline(fields, field, ','));
      if (params.count(header[c]) == 0)
        continue;
      ++seen;
      EXPECT_EQ(field, TBatchRecords::Num(s.ParamByName(params.at(header[c])).Value)) << header[c];
    }
    EXPECT_EQ(seen, params.size());
  }
  EXPECT_EQ(k, 2);
}
