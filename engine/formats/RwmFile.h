#pragma once
// The .rwm document file: a RIFF form "wbmr" holding every list of a Durad as
// little-endian records.

#include <string>

struct Durad;

namespace orlim {

class RiffReader;

// Writes the document. The old file is replaced only once every byte is on disk;
// on failure the message is shown, the Durad is left as it was and false returned.
bool writeRwm(Durad& durad, const std::string& path);

// Reads the document at `path` into the Durad, showing the message of any failure.
// On success the Durad is normalized, unchanged, and WM_MUS_LOADED has been sent.
bool readRwm(Durad& durad, const std::string& path);

// The same over an already opened reader (a file or a block of memory); `path`
// becomes the Durad's file path.
bool readRwm(Durad& durad, RiffReader& reader, const std::string& path);

} // namespace orlim
