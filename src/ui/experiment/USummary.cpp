#include "ui/experiment/USummary.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iomanip>
#include <limits>
#include <sstream>

#include "ui/experiment/UExperiment.h"
#include "ui/experiment/URunsTable.h"

namespace {

constexpr double None = std::numeric_limits<double>::quiet_NaN();

} // namespace

double TSummary::T975(int64_t Df) {
  static const double table[] = {12.7062047, 4.30265273, 3.18244631, 2.77644511, 2.57058184,
                                 2.44691185, 2.36462425, 2.30600414, 2.26215716, 2.22813885,
                                 2.20098516, 2.17881283, 2.16036866, 2.14478669, 2.13144955,
                                 2.11990530, 2.10981558, 2.10092204, 2.09302405, 2.08596345,
                                 2.07961384, 2.07387307, 2.06865761, 2.06389856, 2.05953855,
                                 2.05552944, 2.05183052, 2.04840714, 2.04522964, 2.04227246};
  if (Df < 1)
    return None;
  if (Df <= 30)
    return table[Df - 1];
  // Beyond the table, the Cornish-Fisher expansion around the normal quantile: within 1e-6.
  const double z = 1.959963985, d = static_cast<double>(Df);
  const double z3 = z * z * z, z5 = z3 * z * z, z7 = z5 * z * z;
  return z + (z3 + z) / (4 * d) + (5 * z5 + 16 * z3 + 3 * z) / (96 * d * d) +
         (3 * z7 + 19 * z5 + 17 * z3 - 15 * z) / (384 * d * d * d);
}

TSummary::TStats TSummary::Of(const std::vector<double>& Values) {
  TStats s;
  s.N = static_cast<int64_t>(Values.size());
  if (s.N == 0)
    return {0, None, None, None, None};
  double sum = 0;
  for (double x : Values)
    sum += x;
  s.Mean = sum / static_cast<double>(s.N);
  if (s.N < 2) {
    s.Sd = s.Low = s.High = None;
    return s;
  }
  double squares = 0;
  for (double x : Values)
    squares += (x - s.Mean) * (x - s.Mean);
  s.Sd = std::sqrt(squares / static_cast<double>(s.N - 1));
  const double half = T975(s.N - 1) * s.Sd / std::sqrt(static_cast<double>(s.N));
  s.Low = s.Mean - half;
  s.High = s.Mean + half;
  return s;
}

TSummary::TSummary(const TExperiment& Experiment, const std::map<int64_t, std::string>& Runs)
    : FExperiment(Experiment) {
  for (const TMeasure& m : Experiment.Measures())
    FMeasures.push_back(m.Name());
  for (const TExperiment::TVariable& v : Experiment.Variables())
    FVariables.push_back(v.Setting);
  // After the run's labels, its seed and its stop step.
  const size_t firstMeasure = 3 + FVariables.size() + 2;
  // Per combination, per measure, the values of its runs in the order of their numbers.
  std::map<int64_t, std::vector<std::vector<double>>> values;
  std::map<int64_t, std::vector<std::string>> labels;
  for (const auto& [run, line] : Runs) {
    std::string text = line;
    if (!text.empty() && text.back() == '\n')
      text.pop_back();
    const std::vector<std::string> fields = TRunsTable::Fields(text);
    if (fields.size() != firstMeasure + FMeasures.size())
      throw EExperimentInput("Run " + std::to_string(run) + " has " +
                             std::to_string(fields.size()) + " columns, not " +
                             std::to_string(firstMeasure + FMeasures.size()) + ".");
    const int64_t c = Experiment.CombinationOf(run);
    auto& v = values[c];
    v.resize(FMeasures.size());
    labels[c] = std::vector<std::string>(fields.begin() + 3,
                                         fields.begin() + 3 + static_cast<long>(FVariables.size()));
    for (size_t m = 0; m < FMeasures.size(); ++m) {
      const std::string& text = fields[firstMeasure + m];
      double x = 0;
      if (text.empty())
        continue;
      const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), x);
      if (ec != std::errc() || end != text.data() + text.size())
        throw EExperimentInput("Run " + std::to_string(run) + ": \"" + FMeasures[m] + "\" is \"" +
                               text + "\", not a number.");
      v[m].push_back(x);
    }
  }
  for (const auto& [c, perMeasure] : values) {
    TCombination combination;
    combination.Index = c;
    combination.Values = labels[c];
    for (const std::vector<double>& v : perMeasure)
      combination.Measures.push_back(Of(v));
    combination.Runs = perMeasure;
    FCombinations.push_back(std::move(combination));
  }
}

std::string TSummary::Csv() const {
  std::string out = "combination";
  for (const std::string& v : FVariables)
    out += "," + v;
  out += ",measure,n,mean,sd,ci95_low,ci95_high\n";
  for (const TCombination& c : FCombinations)
    for (size_t m = 0; m < FMeasures.size(); ++m) {
      const TStats& s = c.Measures[m];
      out += std::to_string(c.Index);
      for (const std::string& v : c.Values)
        out += "," + v;
      out += "," + FMeasures[m] + "," + std::to_string(s.N) + "," + TRunsTable::Num(s.Mean) + "," +
             TRunsTable::Num(s.Sd) + "," + TRunsTable::Num(s.Low) + "," + TRunsTable::Num(s.High) +
             "\n";
    }
  return out;
}

std::string TSummary::Text() const {
  // A column as wide as the longest measure's name: the experiment file names them.
  int width = 18;
  for (const std::string& m : FMeasures)
    width = std::max(width, static_cast<int>(m.size()) + 2);
  std::ostringstream out;
  auto cell = [](double X) {
    std::ostringstream s;
    if (std::isfinite(X))
      s << std::setprecision(4) << std::fixed << X;
    else
      s << "-";
    return s.str();
  };
  for (const TCombination& c : FCombinations) {
    out << "Combination " << c.Index;
    for (size_t v = 0; v < FVariables.size(); ++v)
      out << (v == 0 ? ": " : ", ") << FVariables[v] << " = " << c.Values[v];
    out << "\n";
    out << "  " << std::left << std::setw(width) << "measure" << std::right << std::setw(5) << "n"
        << std::setw(14) << "mean" << std::setw(14) << "sd" << std::setw(30) << "95 % CI of mean"
        << "\n";
    for (size_t m = 0; m < FMeasures.size(); ++m) {
      const TStats& s = c.Measures[m];
      out << "  " << std::left << std::setw(width) << FMeasures[m] << std::right << std::setw(5)
          << s.N << std::setw(14) << cell(s.Mean) << std::setw(14) << cell(s.Sd) << std::setw(30)
          << (std::isfinite(s.Low) ? "[" + cell(s.Low) + ", " + cell(s.High) + "]" : "-") << "\n";
    }
  }
  return out.str();
}
