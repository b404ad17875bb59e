// The baseline of the player's start: the smallest Qt Widgets program that opens one window of
// the loading window's size. It runs until it is ended.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.resize(234, 25);
  window.show();
  return application.exec();
}
