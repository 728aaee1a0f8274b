#include "ui/experiment/UExperimentOptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include "ui/experiment/UExperiment.h"

#ifndef KARTSIM_VERSION
#define KARTSIM_VERSION "unknown"
#endif

namespace {

void Declare(QCommandLineParser& Parser) {
  Parser.setApplicationDescription("Runs an experiment: a sweep over settings and seeds.");
  Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  Parser.addOptions({
      {"out", "Folder of the results (created when its parent exists).", "DIR"},
      {"jobs", "Runs at once, each on one thread (default: every hardware thread).", "N"},
      {"shard", "Only the runs whose number is K modulo N (K from 0 to N-1).", "K/N"},
      {"every-step", "Also measure after every step, into steps.csv."},
      {"merge", "Join the results of the shards in the folders given into --out."},
      {"version", "The program's version."},
      {{"h", "help"}, "This help."},
  });
  Parser.addPositionalArgument("FILE", "The experiment file (or, with --merge, the shards' "
                                       "folders).");
}

} // namespace

std::string TExperimentOptions::HelpText() {
  QCommandLineParser parser;
  Declare(parser);
  // The second way in on an "or:" line: the manual page is made from this text, and help2man
  // reads such lines as its synopsis.
  QString options = parser.helpText().section('\n', 2);
  while (options.startsWith('\n'))
    options.remove(0, 1);
  return "Usage: kartsim-experiment FILE --out DIR [--jobs N] [--shard K/N] [--every-step]\n"
         "  or:  kartsim-experiment --merge DIR... --out DIR\n\n" +
         options.toStdString();
}

std::string TExperimentOptions::VersionText() {
  return "kartsim-experiment " KARTSIM_VERSION "\n";
}

std::string TExperimentOptions::ShardText() const {
  return Sharded() ? std::to_string(ShardIndex) + "/" + std::to_string(ShardCount) : "";
}

TExperimentOptions TExperimentOptions::Parse(const QStringList& Arguments) {
  QCommandLineParser parser;
  Declare(parser);
  if (!parser.parse(Arguments))
    throw EExperimentInput(parser.errorText().toStdString() + " (see --help)");
  TExperimentOptions o;
  if (parser.isSet("help") || parser.isSet("version")) {
    o.Help = parser.isSet("help");
    o.Version = !o.Help;
    return o;
  }
  const QStringList args = parser.positionalArguments();
  if (!parser.isSet("out") || parser.value("out").isEmpty())
    throw EExperimentInput("--out DIR is required (see --help)");
  o.Out = parser.value("out").toStdString();
  if (parser.isSet("merge")) {
    if (args.isEmpty())
      throw EExperimentInput("--merge needs the folders of the shards");
    for (const QString& a : args)
      o.Merge.push_back(a.toStdString());
    for (const char* other : {"jobs", "shard", "every-step"})
      if (parser.isSet(other))
        throw EExperimentInput(std::string("--") + other + " does not go with --merge");
    return o;
  }
  if (args.size() != 1)
    throw EExperimentInput("expected one experiment file, got " + std::to_string(args.size()) +
                           " (see --help)");
  o.File = args[0].toStdString();
  o.EveryStep = parser.isSet("every-step");
  if (parser.isSet("jobs")) {
    bool ok = false;
    o.Jobs = parser.value("jobs").toInt(&ok);
    if (!ok || o.Jobs < 1 || o.Jobs > 1024)
      throw EExperimentInput("--jobs: expected a whole number from 1 to 1024, got \"" +
                             parser.value("jobs").toStdString() + "\"");
  }
  if (parser.isSet("shard")) {
    const QRegularExpressionMatch m =
        QRegularExpression("^(\\d{1,6})/(\\d{1,6})$").match(parser.value("shard"));
    if (!m.hasMatch() || m.captured(2).toInt() < 1 ||
        m.captured(1).toInt() >= m.captured(2).toInt())
      throw EExperimentInput("--shard: expected K/N with 0 <= K < N, got \"" +
                             parser.value("shard").toStdString() + "\"");
    o.ShardIndex = m.captured(1).toInt();
    o.ShardCount = m.captured(2).toInt();
  }
  return o;
}
