// The pictures the program draws itself: the kind pictures of the overwrite
// confirmation, the warning sign of the error pictures and the window icon.
#pragma once

#include <QPixmap>

#include "ui/overwrite_text.h"

namespace dm::ui {

QPixmap kindPicture(FileKind kind, int size = 32);
QPixmap warningSign(int size);
QPixmap programIcon(int size = 64);

}  // namespace dm::ui
