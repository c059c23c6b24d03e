// Keeping a top-level window off the taskbar and the pager.
#pragma once

class QWidget;

namespace kelvaro::platform {

// Marks `window` (creating its native window if needed) as one that taskbars and pagers leave
// out. Window managers drop the mark when a window is hidden, so call it before every show of a
// hidden window. Does nothing where the toolkit does not run on an X server.
void MarkSkipTaskbar(QWidget& window);

}  // namespace kelvaro::platform
