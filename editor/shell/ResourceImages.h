#pragma once
// The editor's pictures, drawn in code: the 16-by-15 tool-bar button images by
// command number and the icons by resource number.

#include <QIcon>
#include <QPixmap>

namespace orlim {

// The button image of a command of the main tool bar or the play bar; a null
// pixmap for a command without one.
QPixmap toolBarImage(int commandId);

// Icon 128 (the program), 130, 304 and 129 (the staff, sound and studio frames) and
// 335 (the level icon of the play bar); a null icon for other numbers.
QIcon resourceIcon(int resourceId);

} // namespace orlim
