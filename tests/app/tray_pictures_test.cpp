#include "app/tray_pictures_ui.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <set>

#include "platform/sjis_text.h"
#include "support/test_support.h"

namespace lumetra {
namespace {

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

int OpaquePixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 200;
  return n;
}

TEST(TrayPictures, BothListsDrawEveryPictureDistinctlyAndImageSevenEmpty) {
  EnsureApplication();
  for (bool modern : {false, true}) {
    std::set<QByteArray> seen;
    for (int index = 0; index < kBuiltInImageCount; ++index) {
      QImage image = DrawTrayImage(index, modern, 22);
      ASSERT_EQ(image.size(), QSize(22, 22));
      if (index == kEmptyImage) {
        EXPECT_EQ(OpaquePixels(image), 0);
        continue;
      }
      // A picture fills a good part of the tray slot but leaves its corners clear.
      EXPECT_GT(OpaquePixels(image), 22 * 22 / 3) << index;
      EXPECT_LT(qAlpha(image.pixel(0, 0)), 50) << index;
      QByteArray bytes(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
      EXPECT_TRUE(seen.insert(bytes).second) << "picture " << index << " repeats another";
    }
  }
  EXPECT_NE(DrawTrayImage(0, true, 32), DrawTrayImage(0, false, 32));  // two looks, not one
}

TEST(TrayPictures, EachPictureFollowsItsModeAndABadFileFallsBack) {
  EnsureApplication();
  test::TempFolder folder;
  QImage red(16, 16, QImage::Format_ARGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(QString::fromStdString(folder / "red.png")));

  Settings s;
  s.MailIcon = {2, platform::Utf8ToSjis(folder / "red.png")};
  s.NoConnectIcon = {2, platform::Utf8ToSjis(folder / "missing.ico")};
  s.NormalIcon = {1, ""};
  s.UrlIcon = {2, ""};
  auto pictures = LoadTrayPictures(s, true);
  auto at = [&](TrayPicture p) { return pictures[static_cast<size_t>(p)].pixmap(16, 16).toImage(); };
  auto builtIn = [](int index) { return BuiltInTrayImage(index, true).pixmap(16, 16).toImage(); };
  EXPECT_EQ(at(TrayPicture::NewMail).pixelColor(8, 8), QColor(Qt::red));
  EXPECT_EQ(at(TrayPicture::NotConnected), builtIn(3));  // the file cannot be read
  EXPECT_EQ(at(TrayPicture::Normal), builtIn(kEmptyImage));
  EXPECT_EQ(at(TrayPicture::KeywordHit), builtIn(4));
  EXPECT_EQ(at(TrayPicture::Frame2), builtIn(6));
}

}  // namespace
}  // namespace lumetra
