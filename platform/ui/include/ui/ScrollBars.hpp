#pragma once

class QAbstractScrollArea;

namespace ui {

// The kit's scroll bars, as the platform draws them: a slim rounded thumb in
// translucent grey, without groove or arrow buttons, so that it shows on a
// white field and on a darker box alike and leaves the box's corners alone.
void styleScrollBars(QAbstractScrollArea* area);

}  // namespace ui
