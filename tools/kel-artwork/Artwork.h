// The sign-in window's pictures: the upper background with the captions and button faces,
// and the password-change panel; and the program's icon, the same emblem on the same navy.
#pragma once

#include <QImage>

namespace artwork {

QImage paintUpperPicture();
QImage paintPanelPicture();
// A square icon of size pixels with a transparent surround.
QImage paintIcon(int size);

} // namespace artwork
