#include <gtest/gtest.h>

#include <QCoreApplication>

// Images, painters, resources and image files need an application object but no display.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
