#pragma once
// The desktop's "Open" verb.

#include <string>

namespace orlim {

// Opens the file with the desktop's default program for it (xdg-open). Failures are
// not reported.
void openDocument(const std::string& path);

} // namespace orlim
