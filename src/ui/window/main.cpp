// kartsim: the window. Karts and rockets on a circuit picture, deciding by causal entropic forces.
// `kartsim FILE.kartsim.json` opens that scene at start.
#include <QStringList>
#include <iostream>
#include <string>
#include <vector>

#include "ui/qt/UTemporaryFiles.h"
#include "ui/window/UFormTest2D.h"
#include "ui/window/UKartsimApp.h"

int main(int argc, char** argv) {
  if (const auto status = TKartsimApp::AnswerCommandLine(
          std::vector<std::string>(argv + 1, argv + argc), std::cout))
    return *status;
  TKartsimApp app(argc, argv);
  // A recording ended by a signal leaves no unfinished video behind.
  TTemporaryFiles::InstallSignalHandlers();
  TKartsimApp::setApplicationName("kartsim");
  TFormTest2D form;
  form.show();
  // The toolkit has taken its own options out of the arguments by now.
  form.OpenFromCommandLine(TKartsimApp::arguments().mid(1));
  return TKartsimApp::exec();
}
