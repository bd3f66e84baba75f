#pragma once

#include <QImage>

// The wind rose's compass card: 200 x 200, north up, east to the right, the 16 compass-point
// names around the rim and the centre at pixel (100, 100). The needles are drawn over it.
QImage MakeCompassCard();
// The card drawn once for the program (it depends only on the fonts), on the first call.
const QImage& CompassCard();
