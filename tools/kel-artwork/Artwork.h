// The sign-in window's pictures: the upper background with the captions and button faces,
// and the password-change panel.
#pragma once

#include <QImage>

namespace artwork {

QImage paintUpperPicture();
QImage paintPanelPicture();

} // namespace artwork
