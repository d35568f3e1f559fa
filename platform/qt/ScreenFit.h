// A window's frame inside the available screen. A window is measured when
// it is shown, before the window manager has framed it: until then the frame
// is taken to be a title bar and borders as the style draws them, and once
// the real frame is known the window is fitted again.
#pragma once

#include <QMargins>

class QWidget;

namespace qm {

// The frame around `window`: the one it has, or the one it is expected to get.
QMargins ExpectedFrame(const QWidget* window);
// Shrinks `window` (never below its minimum size) and moves it so that it
// and its frame lie inside the available geometry of its screen; fits it
// again once the window manager has framed it. Call from showEvent.
void FitOnScreen(QWidget* window);

} // namespace qm
