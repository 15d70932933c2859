#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

// The program's pictures, rendered from the SVG sources in resources/ at
// start-up. `scale` is the number of device pixels per picture pixel: 1 gives
// the exact sizes below; on a high-density screen pass the device pixel ratio
// rounded up, and the pixmaps carry it as their devicePixelRatio. Whole
// numbers only, so that the artwork stays on the pixel grid.

// 28 opaque pictures of 21 x 15: the button symbols (even index plain, odd
// highlighted) at 0-21, then the menu pictures at 22-27.
QList<QPixmap> makeImageList1(int scale = 1);

// 4 pictures of 100 x 70: the logo upright, mirrored left to right, upside
// down, mirrored top to bottom.
QList<QPixmap> makeImageList2(int scale = 1);

// The logo, 100 x 70, on a transparent background.
QPixmap makeLogo(int scale = 1);

// The logo mark with the product name, 153 x 35, transparent background.
QPixmap makeDialogLogo(int scale = 1);

// 4 icons of 28 x 21 for the queue actions: Add, Remove, Load, Save.
QList<QPixmap> makeDialogIcons(int scale = 1);

// The window icon, in the usual desktop sizes from 16 to 256.
QIcon makeAppIcon();
