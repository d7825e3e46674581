// Child windows of one size (the console, the registers window, the board's
// panel): their frame has no maximise button, takes no other size when the
// windows are tiled or cascaded, and goes back to its normal state when the
// area maximises it (as it does with every window it activates while one is
// maximised).
#pragma once

class QMdiSubWindow;
class QSize;

namespace tessaline {

// Keeps `cadre` at `taille` (pixels, frame included) from now on.
void garderTailleFixe(QMdiSubWindow* cadre, const QSize& taille);

} // namespace tessaline
