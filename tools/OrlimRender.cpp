// orlim-render: renders a document or a MIDI file to a wave file from the command
// line, through the engine's own file reading and wave saving.

#include "engine/include/DuradMessages.h"
#include "engine/include/durad.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Settings.h"
#include "platform/Window.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace orlim;

constexpr const char* kUsage =
    "usage: orlim-render INPUT.(rwm|mid) OUTPUT.wav [--rate HZ] [--channels N]\n"
    "                    [--preset FILE.pre] [--library DIR]\n"
    "\n"
    "Renders a document (.rwm) or a MIDI file (.mid) to a 16-bit PCM wave file.\n"
    "  --rate HZ          samples per second, 8000..192000 (default 44100)\n"
    "  --channels N       1..6 (default 2)\n"
    "  --preset FILE.pre  MIDI source preset for .mid input (default: midiset.pre of\n"
    "                     the installation)\n"
    "  --library DIR      folder of the SoundFont and Giga banks for this run\n"
    "                     (default: the folders set for the plug-ins)\n"
    "  --help, --version\n";

struct Options {
    std::string input;
    std::string output;
    int rate = 44100;
    int channels = 2;
    std::string preset; // empty: the installation's midiset.pre
    std::string library;
};

std::optional<int> number(const std::string& text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    return std::stoi(text);
}

// Parses the command line; an error text, or nothing.
std::optional<std::string> parse(int argc, char** argv, Options& options)
{
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "--rate" || arg == "--channels" || arg == "--preset" || arg == "--library";
        if (takesValue && i + 1 >= argc)
            return arg + " needs a value";
        if (arg == "--rate") {
            const auto rate = number(argv[++i]);
            if (!rate || *rate < 8000 || *rate > 192000)
                return "--rate takes a rate from 8000 to 192000 Hz";
            options.rate = *rate;
        } else if (arg == "--channels") {
            const auto channels = number(argv[++i]);
            if (!channels || *channels < 1 || *channels > 6)
                return "--channels takes 1 to 6";
            options.channels = *channels;
        } else if (arg == "--preset") {
            options.preset = argv[++i];
        } else if (arg == "--library") {
            options.library = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2)
        return "give one input file and one output file";
    options.input = files[0];
    options.output = files[1];
    return std::nullopt;
}

std::string lowerEnding(const std::string& path, std::size_t length)
{
    std::string ending = path.size() >= length ? path.substr(path.size() - length) : "";
    for (char& c : ending)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending;
}

// Points the plug-ins at another bank folder for this run only: the settings are
// copied into a private folder that this process alone reads and writes, so the
// user's own settings never change, even when the run is killed.
class LibraryOverride {
public:
    explicit LibraryOverride(const std::string& folder)
    {
        if (folder.empty())
            return;
        std::string pattern = temporaryFolder() + "/orlim-render-XXXXXX";
        if (!mkdtemp(pattern.data()))
            return;
        private_ = pattern;
        for (const SettingsHive hive : {SettingsHive::User, SettingsHive::Machine}) {
            const std::filesystem::path from = settingsFilePath(hive);
            std::error_code ignored;
            std::filesystem::copy_file(from, private_ / from.filename(), ignored);
        }
        setenv("ORLIM_CONFIG_DIR", private_.c_str(), 1);
        for (const char* plugin : {"Kestrow", "Tivenor"}) {
            const std::string path = std::string("Software\\Orlim Durad\\") + plugin + "\\Library";
            auto key = SettingsKey::create(SettingsHive::User, path);
            ready_ = key && key->setString("Path", std::filesystem::absolute(folder).string()) && ready_;
        }
    }
    ~LibraryOverride()
    {
        std::error_code ignored;
        if (!private_.empty())
            std::filesystem::remove_all(private_, ignored);
    }
    LibraryOverride(const LibraryOverride&) = delete;
    LibraryOverride& operator=(const LibraryOverride&) = delete;

    bool ready() const { return !private_.empty() && ready_; }

private:
    std::filesystem::path private_;
    bool ready_ = true;
};

int fail(const std::string& text)
{
    std::fprintf(stderr, "orlim-render: %s\n", text.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::puts("orlim-render 1.0 (Orlim Durad)");
            return 0;
        }
    }
    Options options;
    if (const auto error = parse(argc, argv, options)) {
        std::fprintf(stderr, "orlim-render: %s\n\n%s", error->c_str(), kUsage);
        return 2;
    }
    const std::string kind = lowerEnding(options.input, 3);
    if (kind != "rwm" && kind != "mid")
        return fail("cannot read " + options.input + ": give a .rwm document or a .mid file");
    if (!fileSize(options.input))
        return fail("cannot read " + options.input + ": no such file");

    // The engine's messages are the user's messages here; any box means the step failed.
    std::vector<std::string> messages;
    setMessagePresenter([&messages](WindowHandle, const std::string& text, const std::string&, MessageButtons) {
        std::fprintf(stderr, "orlim-render: %s\n", text.c_str());
        messages.push_back(text);
        return MessageAnswer::Ok;
    });

    // Rendering problems (a missing source, a failed plug-in) arrive as messages;
    // each distinct one is reported once with how often it happened.
    std::map<std::string, int> renderErrors;
    QueueWindow window([&renderErrors](std::uint32_t msg, WParam, LParam text) {
        if (msg == WM_MUS_ERROR && text)
            ++renderErrors[reinterpret_cast<const char*>(text)];
        return std::intptr_t{0};
    });

    std::error_code ignored;
    if (!options.library.empty() && !std::filesystem::is_directory(options.library, ignored))
        return fail("cannot use " + options.library + " as the bank folder: no such folder");
    // A preset named on the command line is found as the shell would find it.
    const std::string preset = options.preset.empty() ? installedFilePath("midiset.pre")
                                                      : std::filesystem::absolute(options.preset).string();
    if (kind == "mid" && !fileSize(preset))
        return fail("cannot read the preset " + preset + ": no such file");
    LibraryOverride library(options.library);
    if (!options.library.empty() && !library.ready())
        return fail("cannot set the bank folder " + options.library + " for this run");
    Durad* durad = musCreateDurad(&window);
    if (!durad)
        return fail("out of memory");
    musSetMIDPreset(preset.c_str());
    if (!musFileOpen(durad, options.input.c_str())) {
        musDeleteDurad(durad);
        return 1;
    }

    PlayRequest request;
    request.notifyWindow = &window;
    request.music = durad;
    request.start = 0;
    request.end = musGetDuradLength(durad);
    request.format.formatTag = 1;
    request.format.channels = static_cast<std::uint16_t>(options.channels);
    request.format.samplesPerSec = static_cast<std::uint32_t>(options.rate);
    request.format.bitsPerSample = 16;
    request.format.blockAlign = static_cast<std::uint16_t>(2 * options.channels);
    request.format.avgBytesPerSec = request.format.samplesPerSec * request.format.blockAlign;
    request.format.extraSize = 0;

    messages.clear();
    musSaveWave(options.output.c_str(), &request);
    window.pump();
    musDeleteDurad(durad);

    for (const auto& [text, count] : renderErrors)
        std::fprintf(stderr, "orlim-render: warning: %s%s\n", text.c_str(),
                     count > 1 ? (" (" + std::to_string(count) + " times)").c_str() : "");
    if (!messages.empty() || !fileSize(options.output))
        return fail("no wave file written to " + options.output);
    std::printf("Wrote %s\n", options.output.c_str());
    return 0;
}
