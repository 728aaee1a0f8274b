// kartsim: the window. Karts and rockets on a circuit picture, deciding by causal entropic forces.
#include "ui/window/UFormTest2D.h"
#include "ui/window/UKartsimApp.h"

int main(int argc, char** argv) {
  TKartsimApp app(argc, argv);
  TKartsimApp::setApplicationName("kartsim");
  TFormTest2D form;
  form.show();
  return TKartsimApp::exec();
}
