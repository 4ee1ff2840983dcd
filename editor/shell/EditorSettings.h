#pragma once
// The editor's settings and the files it looks after: the settings root, the
// defaults of the first start, the engine's temporary files, the MIDI preset path and
// the default names the file dialogs propose.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Settings.h"

namespace orlim {

// "Orlim Durad" is the company key and "Orlim" the application, so every section
// lies under the user hive's "Software\Orlim Durad\Orlim".
inline constexpr std::string_view kEditorApplication = "Orlim";

// The editor's settings.
const SettingsProfile& editorSettings();

// `folder` and `name` joined with one "/" (none added when the folder ends in one).
std::string appendFileName(std::string_view folder, std::string_view name);

// "Player"/"TempPath", or the system's temporary folder when it is empty, always
// ending in "/". An empty setting is not written back.
std::string editorTempPath();

// Deletes the files the engine leaves in the temporary path: names starting "buf" in
// "Buffer", and "Index.tmp" and "Sample.tmp" in "Sample". Sub-folders and every other
// file stay, since the temporary path may be a folder of the user's own.
void emptyEngineTempFolders(const std::string& tempPath);

// True when "Player"/"Channels" is absent or 32767.
bool isFirstStart();

// Writes the first start's values, in this order: the source and effect plug-ins,
// the MIDI preset, the player values, the temporary path; then the sample-library
// folders of both source plug-ins below the installation folder.
void writeFirstStartDefaults();

// The MIDI preset file handed to the engine before a music file opens: the value of
// "MIDISET"/"FILENAME" as it stands when it is an absolute path, else resolved
// against the installation folder.
std::string midiPresetPath();

// The document's path with the extension `extension` (".rwm", ".wav") in place of
// everything from the first "." of its file name on; empty when the file name has no
// "." after its first character. Folder names keep their dots.
std::string defaultFileName(std::string_view path, std::string_view extension);

// True when the path, in lower case, ends in "rwm": Save can write it as it is.
bool isDocumentPath(std::string_view path);

} // namespace orlim
