#include "editor/shell/EditorSettings.h"

#include <cctype>

#include "platform/Files.h"

namespace orlim {
namespace {

// Each plug-in keeps its sample-library folder under its own application key.
constexpr std::string_view kKestrowLibraryKey = "Software\\Orlim Durad\\Kestrow\\Library";
constexpr std::string_view kTivenorLibraryKey = "Software\\Orlim Durad\\Tivenor\\Library";

constexpr std::int32_t kNoChannels = 32767;

void deleteFiles(const std::string& folder, bool (*isEngineFile)(std::string_view name))
{
    for (const FolderEntry& entry : listFolder(folder))
        if (!entry.isFolder && isEngineFile(entry.name))
            deleteFile(appendFileName(folder, entry.name));
}

bool isStreamFile(std::string_view name)
{
    return name.starts_with("buf");
}

bool isSampleFile(std::string_view name)
{
    return name == "Index.tmp" || name == "Sample.tmp";
}

void writeLibraryPath(std::string_view key, std::string_view folderName)
{
    // A key that cannot be created is skipped.
    if (const auto library = SettingsKey::create(SettingsHive::User, key))
        library->setString("Path", appendFileName(installationFolder(), folderName));
}

} // namespace

const SettingsProfile& editorSettings()
{
    static const SettingsProfile profile(kEditorApplication);
    return profile;
}

std::string appendFileName(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string editorTempPath()
{
    std::string path = editorSettings().getString("Player", "TempPath");
    if (path.empty())
        path = temporaryFolder();
    if (path.back() != '/')
        path += '/';
    return path;
}

void emptyEngineTempFolders(const std::string& tempPath)
{
    deleteFiles(tempPath + "Sample", isSampleFile);
    deleteFiles(tempPath + "Buffer", isStreamFile);
}

bool isFirstStart()
{
    return editorSettings().getInt("Player", "Channels", kNoChannels) == kNoChannels;
}

void writeFirstStartDefaults()
{
    const SettingsProfile& settings = editorSettings();
    settings.writeString("Source", "kestrow.dll", "");
    settings.writeString("Source", "tivenor.dll", "");
    settings.writeString("Effect", "effect.dll", "");
    settings.writeString("midiset", "FileName", "midiset.pre");
    settings.writeInt("Player", "Channels", 2);
    settings.writeInt("Player", "PlayRate", 22050);
    settings.writeInt("Player", "PlaySampleBytes", 2);
    settings.writeInt("Player", "SaveRate", 44100);
    settings.writeInt("Player", "SaveSampleBytes", 2);
    settings.writeString("Player", "TempPath", temporaryFolder());
    writeLibraryPath(kKestrowLibraryKey, "soundfont");
    writeLibraryPath(kTivenorLibraryKey, "giga");
}

std::string midiPresetPath()
{
    return installedFilePath(editorSettings().getString("MIDISET", "FILENAME"));
}

std::string defaultFileName(std::string_view path, std::string_view extension)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = path.find('.', nameStart + 1);
    if (nameStart >= path.size() || dot == std::string_view::npos)
        return {};
    std::string name(path.substr(0, dot));
    name += extension;
    return name;
}

bool isDocumentPath(std::string_view path)
{
    if (path.size() < 3)
        return false;
    std::string ending(path.substr(path.size() - 3));
    for (char& c : ending)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending == "rwm";
}

} // namespace orlim
