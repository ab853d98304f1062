#pragma once
// Lumetra's tray pictures. Both built-in lists are drawn here (no image files
// to ship): the modern list with soft shading, the older one flat and
// hard-edged for systems of few colours. Layout of both lists: 0 normal,
// 1 checking, 2 new mail, 3 not connected, 4 keyword hit, 5 and 6 the idle
// wink, 7 empty, 8 pop-up mode off.
#include <QIcon>
#include <QImage>
#include <array>
#include <string>

#include "app/settings.h"
#include "app/tray_logic.h"

namespace lumetra {

QImage DrawTrayImage(int index, bool modern, int size);
QIcon BuiltInTrayImage(int index, bool modern);
// A picture file (.ico, .png, …) with all the sizes it holds; null when it cannot be read.
QIcon LoadIconFile(const std::string& path);
// The eight pictures in TrayPicture order from each picture's mode and file.
std::array<QIcon, kTrayPictureCount> LoadTrayPictures(const Settings& s, bool modern);

}  // namespace lumetra
