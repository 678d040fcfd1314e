// Where the sign-in window's controls stand; its artwork is drawn to the same places.
#pragma once

#include <QRect>

namespace signin::layout {

inline constexpr int Width = 497;
inline constexpr int StartHeight = 273;
inline constexpr int PanelClosedHeight = 275;
inline constexpr int PanelOpenHeight = 416;

inline constexpr QRect Image1{0, 0, 497, 278};
inline constexpr QRect Image2{0, 277, 497, 139};
inline constexpr QRect LoginEdit{146, 202, 187, 21};
inline constexpr QRect PasswordEdit{146, 238, 187, 21};
inline constexpr QRect Edit1{148, 309, 186, 21};
inline constexpr QRect Edit2{148, 345, 186, 21};
inline constexpr QRect SpeedButton2{349, 200, 55, 20};
inline constexpr QRect SpeedButton1{418, 199, 67, 22};
inline constexpr QRect SpeedButton3{346, 236, 139, 22};
inline constexpr QRect RzLabel1{60, 107, 329, 78};
inline constexpr QPoint Label1{6, 5};
inline constexpr QRect ProgressBar{146, 120, 187, 6};

} // namespace signin::layout
