// The search program's icon, painted in code (this Qt build reads no SVG) with the
// drawing of resources/xvexadoc.svg, which desktop menus use.
// Thread-safety: GUI thread only.
#pragma once

#include <QIcon>

namespace vexa {

// The icon at 16 to 256 pixels.
QIcon SearchIcon();

}  // namespace vexa
