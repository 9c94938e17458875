#pragma once

class QDir;

// Draws the images of the main window's buttons and writes them into dir as
// 8-bit, 256-colour BMP files bitmap<id>.bmp, an up and a pushed image per
// button:
//   133/134 About, 143/144 HFlip, 145/146 Modify, 147/148 New, 149/150 Open,
//   151/152 Exit, 153/154 Save, 158/159 VFlip (pushed/up);
//   156/160 Zoom, 157/161 Undo (up/pushed);
//   135/136, 137/138, 139/140, 141/142: the colour spheres C1 to C4 (up/pushed).
// Command buttons are 24 x 24, Modify 75 x 25, the spheres 16 x 16. Returns
// false when a file could not be written.
bool WriteButtonImages(const QDir& dir);
