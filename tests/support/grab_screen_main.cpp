// Saves a picture of an X display's screen (or a part of it) as PNG:
//   grab_screen OUT.png [X Y WIDTH HEIGHT]
// Run with DISPLAY set; used by the display tests and for screenshots.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication app(argc, argv);
  if (argc != 2 && argc != 6) {
    std::fprintf(stderr, "usage: grab_screen OUT.png [X Y WIDTH HEIGHT]\n");
    return 2;
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 1;
  const QPixmap shot = argc == 6 ? screen->grabWindow(0, std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                                                      std::atoi(argv[5]))
                                 : screen->grabWindow(0);
  return shot.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
