// Icons of the indexer's windows.
//
// The program icon is painted in code (this Qt build reads no SVG), with the drawing of
// resources/xvexai.svg, which desktop menus use. Tool bar icons come from the desktop's
// icon theme, then from the fallback theme "Adwaita" when it is installed, then from the
// widget style's standard pixmaps, so every button has a picture on any desktop.
// Thread-safety: GUI thread only.
#pragma once

#include <QIcon>
#include <QStyle>

namespace vexa {

// The indexer's program icon (window, tray and about box), at 16 to 256 pixels.
QIcon IndexerIcon();

// The theme icon `name`, or the style's standard pixmap `fallback` when no theme has it.
QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback);

}  // namespace vexa
