#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <string>

#include "ui/experiment/UExperiment.h"

namespace {

QJsonObject Parse(const std::string& Json) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(Json)).object();
}

// A valid experiment with one part replaced: Variables is the JSON of the list of variables.
std::string WithVariables(const std::string& Variables, const std::string& Scene = "kart",
                          const std::string& Extra = "") {
  return R"({"format": "kartsim-experiment", "version": 1, "scene": ")" + Scene +
         R"(", "steps": 5, "futures": 30, "repetitions": 2, "seed": 7, "variables": )" + Variables +
         Extra + "}";
}

// The message of the refusal, or "" when the experiment is accepted.
std::string Refusal(const std::string& Json) {
  try {
    TExperiment::FromJson(Parse(Json));
  } catch (const EExperimentInput& e) {
    return e.what();
  }
  return "";
}

} // namespace

TEST(ExperimentFile, RunsAreTheProductOfTheVariablesRepeated) {
  const TExperiment x = TExperiment::FromJson(Parse(WithVariables(
      R"([{"setting": "ai_level", "values": [4, 8]},
          {"setting": "friction", "first": 0.01, "step": 0.01, "last": 0.03}])")));
  EXPECT_EQ(x.CombinationCount(), 6);
  EXPECT_EQ(x.RunCount(), 12);
  // The first variable changes slowest; the repetitions of a combination are together.
  EXPECT_EQ(x.CombinationOf(5), 2);
  EXPECT_EQ(x.ValuesOf(2), (std::vector<double>{4, 0.03}));
  EXPECT_EQ(x.ValuesOf(3), (std::vector<double>{8, 0.01}));
  // A run's seed follows from the experiment's seed and its number alone.
  EXPECT_NE(x.RunSeed(0), x.RunSeed(1));
  const TExperiment again = TExperiment::FromJson(Parse(WithVariables("[]")));
  EXPECT_EQ(again.RunSeed(11), x.RunSeed(11));
  EXPECT_EQ(again.RunCount(), 2);
}

TEST(ExperimentFile, EveryFaultIsRefusedWithItsPath) {
  const std::pair<std::string, std::string> cases[] = {
      {WithVariables(R"([{"setting": "warp_speed", "values": [1]}])"),
       "$.variables[0].setting: unknown setting \"warp_speed\""},
      {WithVariables(R"([{"setting": "team_goal.chocolate", "values": [1]}])"),
       "$.variables[0].setting: unknown setting"},
      {WithVariables(R"([{"setting": "ai_level", "values": []}])"),
       "$.variables[0].values: the list of values is empty"},
      {WithVariables(R"([{"setting": "size", "first": 10, "step": 1, "last": 5}])"),
       "$.variables[0].last: the range is empty"},
      {WithVariables(R"([{"setting": "size", "first": 4, "step": 0, "last": 5}])"),
       "$.variables[0].step: expected a number above 0"},
      {WithVariables(R"([{"setting": "ai_level", "values": [4, 9]}])"),
       "$.variables[0].values[1]: \"ai_level\" takes whole numbers from 1 to 8, got 9"},
      {WithVariables(R"([{"setting": "ai_level", "values": [4.5]}])"),
       "$.variables[0].values[0]: \"ai_level\" takes whole numbers"},
      {WithVariables(R"([{"setting": "friction", "values": [0.5]}])"),
       "$.variables[0].values[0]: \"friction\" takes values from 0.001 to 0.3"},
      {WithVariables(R"([{"setting": "grid_size", "first": 2, "step": 1, "last": 25}])"),
       "$.variables[0]: \"grid_size\" takes whole numbers from 2 to 20, got 21"},
      {WithVariables(R"([{"setting": "team_goal.speed", "values": [11]}])"),
       "$.variables[0].values[0]: \"team_goal.speed\" takes values from 0 to 10"},
      {WithVariables(R"([{"setting": "karts", "values": [3]}])"),
       "$.variables[0].setting: \"karts\" applies only to the circle scene"},
      {WithVariables(R"([{"setting": "size", "values": [5]}, {"setting": "size", "values": [6]}])"),
       "$.variables[1].setting: \"size\" is already a variable"},
      {WithVariables(R"([{"setting": "size", "values": [5], "colour": 3}])"),
       "$.variables[0].colour: unknown key"},
      {WithVariables(R"([{"setting": "size", "first": 4, "step": 0.005, "last": 25},
                         {"setting": "grid_size", "first": 2, "step": 1, "last": 20}])"),
       "$.variables[1]: the experiment would make more than 100000 runs"},
      {WithVariables("[]", "kart", R"(, "budget_ms": 100)"), "$: give either \"futures\""},
      {WithVariables("[]", "kart", R"(, "colour": 1)"), "$.colour: unknown key"},
      {WithVariables("[]", "tracks/oval.scene.json"),
       "$.scene: Cannot open the scene \"tracks/oval.scene.json\": the file does not exist."},
      {WithVariables("[]", "kart", R"(, "measures": ["speed"])"),
       "$.measures[0]: unknown measure \"speed\""},
      {WithVariables("[]", "kart",
                     R"(, "measures": [{"name": "v", "of": "speed", "aggregate": "mode"}])"),
       "$.measures[0].aggregate: expected one of mean, median"},
      {WithVariables("[]", "kart",
                     R"(, "measures": [{"name": "v", "of": "colour", "aggregate": "sum"}])"),
       "$.measures[0].of: unknown quantity \"colour\""},
      {WithVariables("[]", "kart",
                     R"(, "measures": [{"name": "v", "of": "x", "aggregate": "max", "team": 1}])"),
       "$.measures[0].team: expected a team's number from 0 to 0"},
      {WithVariables("[]", "kart",
                     R"(, "measures": [{"name": "v", "of": "births", "alive": true}])"),
       "$.measures[0].alive: \"births\" is a team's"},
      {WithVariables(R"([{"setting": "size", "values": [5]}])", "kart",
                     R"(, "measures": [{"name": "size", "of": "x", "aggregate": "max"}])"),
       "$.measures[0].name: \"size\" is the name of a variable"},
      {WithVariables("[]", "kart", R"(, "stop": [{"measure": "speed", "below": 1}])"),
       "$.stop[0].measure: \"speed\" is none of the experiment's measures"},
      {WithVariables("[]", "kart",
                     R"(, "stop": [{"measure": "removals", "below": 1, "above": 3}])"),
       "$.stop[0]: expected an object with \"measure\" and one of"},
      {WithVariables("[]", "kart", R"(, "every": 6)"),
       "$.every: expected a whole number from 1 to 5"},
      {WithVariables(R"([{"setting": "scene", "values": ["kart"]}])"),
       "$.variables[0]: the scenes are given both here and in $.scene"},
      {WithVariables(R"([{"setting": "circuit", "values": ["/nonexistent/a.bmp"]}])"),
       "$.variables[0].values[0]: "},
      {R"({"format": "kartsim-experiment", "version": 1, "steps": 5, "futures": 3, "repetitions": 1,
          "seed": 1, "variables": [{"setting": "scene", "values": ["kart", "nowhere.json"]}]})",
       "$.variables[0].values[1]: Cannot open the scene \"nowhere.json\""},
      {R"({"format": "kartsim-scene", "version": 1})", "$.format: expected \"kartsim-experiment\""},
      {R"({"format": "kartsim-experiment", "version": 2})", "$.version: expected 1"},
      {R"({"format": "kartsim-experiment", "version": 1, "scene": "kart", "steps": 0})",
       "$.steps: expected a whole number from 1"},
  };
  for (const auto& [json, message] : cases) {
    const std::string refusal = Refusal(json);
    EXPECT_NE(refusal.find(message), std::string::npos)
        << "expected \"" << message << "\", got \"" << refusal << "\" for " << json;
  }
  EXPECT_EQ(Refusal(WithVariables(R"([{"setting": "karts", "values": [3]}])", "circle")), "");
}

TEST(ExperimentFile, SeedsAreReadExactlyOrRefused) {
  // A double would read 9007199254740993 as ...992, the seed of another experiment.
  const auto seeded = [](const std::string& Seed) {
    std::string json = WithVariables("[]");
    return json.replace(json.find("\"seed\": 7"), 9, "\"seed\": " + Seed);
  };
  EXPECT_NE(TExperiment::FromJson(Parse(seeded("9007199254740993"))).RunSeed(0),
            TExperiment::FromJson(Parse(seeded("9007199254740992"))).RunSeed(0));
  EXPECT_EQ(Refusal(seeded("9223372036854775807")), "");
  EXPECT_NE(Refusal(seeded("9223372036854775808"))
                .find("$.seed: expected a whole number from 0 to 9223372036854775807"),
            std::string::npos);
}

TEST(ExperimentFile, AFileThatIsNotJsonIsRefusedWithItsName) {
  try {
    TExperiment::Load("/nonexistent/x.experiment.json");
    FAIL() << "no error";
  } catch (const EExperimentInput& e) {
    EXPECT_NE(std::string(e.what()).find("\"/nonexistent/x.experiment.json\""), std::string::npos);
  }
}

TEST(ExperimentFile, ScenesAreTheSlowestVariableWhereverTheyAreListed) {
  const TExperiment x = TExperiment::FromJson(Parse(
      R"({"format": "kartsim-experiment", "version": 1, "steps": 5, "futures": 3,
          "repetitions": 2, "seed": 1, "variables": [{"setting": "ai_level", "values": [4, 8]},
          {"setting": "scene", "values": ["kart", "drops"]}]})"));
  ASSERT_EQ(x.Variables().size(), 2u);
  EXPECT_EQ(x.Variables()[0].Setting, "scene");
  EXPECT_EQ(x.RunCount(), 8);
  EXPECT_EQ(x.SceneOf(x.CombinationOf(5)), "drops");
  EXPECT_EQ(x.ValueText(0, x.ValuesOf(2)[0]), "drops");
  EXPECT_EQ(x.ValuesOf(2)[1], 4);
  // Without "measures", the thirteen built-in ones.
  EXPECT_EQ(x.Measures().size(), 13u);
}
