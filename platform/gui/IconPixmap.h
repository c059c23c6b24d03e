// Icons from .ico data as toolkit pixmaps.
#pragma once

#include <QPixmap>

#include "platform/gui/IconData.h"

namespace kelvaro::platform {

QPixmap ToPixmap(const IconImage& image);

}  // namespace kelvaro::platform
