// kartsim: the window. Karts and rockets on a circuit picture, deciding by causal entropic forces.
// `kartsim FILE.kartsim.json` opens that scene at start.
#include <QStringList>

#include "ui/window/UFormTest2D.h"
#include "ui/window/UKartsimApp.h"

int main(int argc, char** argv) {
  TKartsimApp app(argc, argv);
  TKartsimApp::setApplicationName("kartsim");
  TFormTest2D form;
  form.show();
  // The toolkit has taken its own options out of the arguments by now.
  form.OpenFromCommandLine(TKartsimApp::arguments().mid(1));
  return TKartsimApp::exec();
}
