#include "platform/Settings.h"

#include <cerrno>
#include <mutex>
#include <sys/stat.h>

#include "platform/FileIO.h"
#include "platform/Files.h"

// The file format, one item per line:
//   # comment
//   key "Software" "Orlim Durad" "Orlim"      a key, by the names along its path
//   string "TempPath" "/tmp"                   a value of the key above
//   int "Channels" 2
// Names and texts are quoted with C escapes (\\ \" \n \r \t \xHH), so any byte
// survives. A line that cannot be read is skipped; after an unreadable key line
// the values that follow are skipped too, as their key is unknown.

namespace orlim {
namespace {

char foldChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string fold(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = foldChar(c);
    return folded;
}

std::vector<std::string> splitPath(std::string_view path)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            names.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// The first `count` names joined by "\".
std::string joinPath(const std::vector<std::string>& names, std::size_t count)
{
    std::string path;
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            path += '\\';
        path += names[i];
    }
    return path;
}

// The path without empty names: "\a\\b\" is "a\b".
std::string normalPath(std::string_view path)
{
    const std::vector<std::string> names = splitPath(path);
    return joinPath(names, names.size());
}

// --- The text form ---------------------------------------------------------------

void appendQuoted(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                out += "\\x";
                out += kHex[byte >> 4];
                out += kHex[byte & 15];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = foldChar(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

struct Token {
    bool quoted = false;
    std::string text;
};

// The line's tokens, or nullopt when a quote is left open or an escape is unknown.
std::optional<std::vector<Token>> tokenize(std::string_view line)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size())
            return tokens;
        Token token;
        if (line[i] != '"') {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '"')
                token.text += line[i++];
            tokens.push_back(std::move(token));
            continue;
        }
        token.quoted = true;
        ++i;
        while (true) {
            if (i == line.size())
                return std::nullopt;
            const char c = line[i++];
            if (c == '"')
                break;
            if (c != '\\') {
                token.text += c;
                continue;
            }
            if (i == line.size())
                return std::nullopt;
            const char e = line[i++];
            switch (e) {
            case '\\': token.text += '\\'; break;
            case '"': token.text += '"'; break;
            case 'n': token.text += '\n'; break;
            case 'r': token.text += '\r'; break;
            case 't': token.text += '\t'; break;
            case 'x': {
                if (i + 2 > line.size())
                    return std::nullopt;
                const int high = hexDigit(line[i]);
                const int low = hexDigit(line[i + 1]);
                if (high < 0 || low < 0)
                    return std::nullopt;
                token.text += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: return std::nullopt;
            }
        }
        tokens.push_back(std::move(token));
    }
}

std::optional<std::uint32_t> parseNumber(const Token& token)
{
    if (token.quoted || token.text.empty() || token.text.size() > 10)
        return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : token.text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

// --- A hive in memory ------------------------------------------------------------

struct StoredKey {
    std::string path;
    std::string folded;
    std::vector<SettingValue> values;
};

// Keys in the order they were created; the root key (path "") is always first.
struct HiveData {
    std::vector<StoredKey> keys{StoredKey{}};
};

StoredKey* findKey(HiveData& data, std::string_view foldedPath)
{
    for (StoredKey& key : data.keys)
        if (key.folded == foldedPath)
            return &key;
    return nullptr;
}

// Finds the key, creating it and its missing parents with the names as given.
StoredKey& ensureKey(HiveData& data, std::string_view path)
{
    const std::vector<std::string> names = splitPath(path);
    StoredKey* key = &data.keys.front();
    for (std::size_t depth = 1; depth <= names.size(); ++depth) {
        const std::string folded = fold(joinPath(names, depth));
        StoredKey* found = findKey(data, folded);
        if (!found) {
            std::string display = key->path.empty() ? names[depth - 1]
                                                    : key->path + '\\' + names[depth - 1];
            data.keys.push_back(StoredKey{std::move(display), folded, {}});
            found = &data.keys.back();
        }
        key = found;
    }
    return *key;
}

SettingValue* findValue(StoredKey& key, std::string_view name)
{
    const std::string folded = fold(name);
    for (SettingValue& value : key.values)
        if (fold(value.name) == folded)
            return &value;
    return nullptr;
}

// A rewrite keeps the value's place (and its name's case); a new value goes last.
void putValue(StoredKey& key, SettingValue value)
{
    if (SettingValue* existing = findValue(key, value.name)) {
        value.name = existing->name;
        *existing = std::move(value);
    } else {
        key.values.push_back(std::move(value));
    }
}

std::string serialize(const HiveData& data)
{
    std::string out = "# Orlim Durad settings\n";
    for (const StoredKey& key : data.keys) {
        out += "key";
        for (const std::string& name : splitPath(key.path)) {
            out += ' ';
            appendQuoted(out, name);
        }
        out += '\n';
        for (const SettingValue& value : key.values) {
            out += value.type == SettingType::String ? "string " : "int ";
            appendQuoted(out, value.name);
            out += ' ';
            if (value.type == SettingType::String)
                appendQuoted(out, value.text);
            else
                out += std::to_string(value.number);
            out += '\n';
        }
    }
    return out;
}

HiveData parse(std::string_view text)
{
    HiveData data;
    StoredKey* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;

        // The keyword alone decides what a line was meant to be, so that a damaged
        // value line costs only that value.
        const std::string_view keyword = line.substr(0, line.find_first_of(" \t"));
        const std::optional<std::vector<Token>> tokens = tokenize(line);
        if (keyword == "string" || keyword == "int") {
            if (!current || !tokens || tokens->size() != 3 || !(*tokens)[1].quoted)
                continue;
            SettingValue value;
            value.name = (*tokens)[1].text;
            if (keyword == "string") {
                if (!(*tokens)[2].quoted)
                    continue;
                value.text = (*tokens)[2].text;
            } else {
                const std::optional<std::uint32_t> number = parseNumber((*tokens)[2]);
                if (!number)
                    continue;
                value.type = SettingType::Integer;
                value.number = *number;
            }
            putValue(*current, std::move(value));
            continue;
        }

        current = nullptr;
        if (keyword != "key" || !tokens)
            continue;
        std::vector<std::string> names;
        bool readable = true;
        for (std::size_t i = 1; i < tokens->size(); ++i) {
            const Token& name = (*tokens)[i];
            readable = readable && name.quoted && !name.text.empty() &&
                       name.text.find('\\') == std::string::npos;
            names.push_back(name.text);
        }
        if (readable)
            current = &ensureKey(data, joinPath(names, names.size()));
    }
    return data;
}

// --- The files -------------------------------------------------------------------

struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;

    bool operator==(const FileStamp&) const = default;
};

std::int64_t nanoseconds(const timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileStamp stampOf(const std::string& path)
{
    struct stat info {};
    FileStamp stamp;
    if (stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = nanoseconds(info.st_mtim);
    stamp.changed = nanoseconds(info.st_ctim);
    return stamp;
}

std::string readWhole(const std::string& path)
{
    FileReader reader;
    if (!reader.open(path))
        return {};
    std::string bytes(static_cast<std::size_t>(reader.size()), '\0');
    bytes.resize(reader.read(bytes.data(), bytes.size()));
    return bytes;
}

// Creates the folder and every missing parent.
bool makeFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

const char* fileName(SettingsHive hive)
{
    return hive == SettingsHive::User ? "user.reg" : "machine.reg";
}

struct HiveState {
    bool loaded = false;
    FileStamp stamp;
    HiveData data;
};

// The one store of the process. Callers hold `mutex` around every use.
class Store {
public:
    static Store& instance()
    {
        static Store store;
        return store;
    }

    std::mutex mutex;

    // The hive as it is on disk now: read again when the settings folder was
    // switched or the file changed since it was last read or written.
    HiveData& current(SettingsHive hive)
    {
        const std::string folder = settingsFolder();
        if (folder != folder_) {
            folder_ = folder;
            for (HiveState& state : hives_)
                state.loaded = false;
        }
        HiveState& state = hives_[index(hive)];
        const std::string path = folder_ + "/" + fileName(hive);
        const FileStamp stamp = stampOf(path);
        if (!state.loaded || !(stamp == state.stamp)) {
            state.data = stamp.exists ? parse(readWhole(path)) : HiveData{};
            state.stamp = stamp;
            state.loaded = true;
        }
        return state.data;
    }

    // Writes `next` as the hive's new contents; the hive in memory changes only
    // when the file was replaced.
    bool save(SettingsHive hive, HiveData next)
    {
        if (!makeFolders(folder_))
            return false;
        const std::string path = folder_ + "/" + fileName(hive);
        const std::string text = serialize(next);
        FileWriter writer;
        if (!writer.create(path) || !writer.write(text.data(), text.size()) || !writer.commit())
            return false;
        HiveState& state = hives_[index(hive)];
        state.data = std::move(next);
        state.stamp = stampOf(path);
        return true;
    }

private:
    static std::size_t index(SettingsHive hive) { return hive == SettingsHive::User ? 0 : 1; }

    std::string folder_;
    HiveState hives_[2];
};

// The key of folders that this system computes instead of storing.
bool isShellFolders(SettingsHive hive, std::string_view path)
{
    static const std::string folded = fold(kShellFoldersKey);
    return hive == SettingsHive::User && fold(normalPath(path)) == folded;
}

std::vector<SettingValue> shellFolderValues()
{
    SettingValue desktop;
    desktop.name = "Desktop";
    desktop.text = desktopFolder();
    SettingValue programs;
    programs.name = "Programs";
    programs.text = applicationsFolder();
    return {desktop, programs};
}

std::optional<SettingValue> lookUp(SettingsHive hive, const std::string& path, std::string_view name)
{
    if (isShellFolders(hive, path)) {
        for (SettingValue& value : shellFolderValues())
            if (fold(value.name) == fold(name))
                return value;
        return std::nullopt;
    }
    Store& store = Store::instance();
    std::lock_guard lock(store.mutex);
    StoredKey* key = findKey(store.current(hive), fold(path));
    if (!key)
        return std::nullopt;
    const SettingValue* value = findValue(*key, name);
    return value ? std::optional<SettingValue>(*value) : std::nullopt;
}

bool store(SettingsHive hive, const std::string& path, SettingValue value)
{
    if (isShellFolders(hive, path))
        return false;
    Store& store = Store::instance();
    std::lock_guard lock(store.mutex);
    HiveData next = store.current(hive);
    putValue(ensureKey(next, path), std::move(value));
    return store.save(hive, std::move(next));
}

} // namespace

std::optional<SettingsKey> SettingsKey::open(SettingsHive hive, std::string_view path)
{
    if (isShellFolders(hive, path))
        return SettingsKey(hive, std::string(kShellFoldersKey));
    Store& store = Store::instance();
    std::lock_guard lock(store.mutex);
    const StoredKey* key = findKey(store.current(hive), fold(normalPath(path)));
    if (!key)
        return std::nullopt;
    return SettingsKey(hive, key->path);
}

std::optional<SettingsKey> SettingsKey::create(SettingsHive hive, std::string_view path)
{
    if (isShellFolders(hive, path))
        return SettingsKey(hive, std::string(kShellFoldersKey));
    const std::string folded = fold(normalPath(path));
    Store& store = Store::instance();
    std::lock_guard lock(store.mutex);
    HiveData& data = store.current(hive);
    if (const StoredKey* key = findKey(data, folded))
        return SettingsKey(hive, key->path);
    HiveData next = data;
    std::string stored = ensureKey(next, path).path;
    if (!store.save(hive, std::move(next)))
        return std::nullopt;
    return SettingsKey(hive, std::move(stored));
}

std::optional<std::string> SettingsKey::queryString(std::string_view name) const
{
    const std::optional<SettingValue> value = lookUp(hive_, path_, name);
    if (!value || value->type != SettingType::String)
        return std::nullopt;
    return value->text;
}

std::optional<std::uint32_t> SettingsKey::queryInt(std::string_view name) const
{
    const std::optional<SettingValue> value = lookUp(hive_, path_, name);
    if (!value || value->type != SettingType::Integer)
        return std::nullopt;
    return value->number;
}

bool SettingsKey::setString(std::string_view name, std::string_view text) const
{
    SettingValue value;
    value.name = name;
    value.text = text;
    return store(hive_, path_, std::move(value));
}

bool SettingsKey::setInt(std::string_view name, std::uint32_t number) const
{
    SettingValue value;
    value.name = name;
    value.type = SettingType::Integer;
    value.number = number;
    return store(hive_, path_, std::move(value));
}

std::optional<SettingValue> SettingsKey::value(std::size_t index) const
{
    if (isShellFolders(hive_, path_)) {
        std::vector<SettingValue> values = shellFolderValues();
        if (index >= values.size())
            return std::nullopt;
        return values[index];
    }
    Store& store = Store::instance();
    std::lock_guard lock(store.mutex);
    const StoredKey* key = findKey(store.current(hive_), fold(path_));
    if (!key || index >= key->values.size())
        return std::nullopt;
    return key->values[index];
}

bool SettingsKey::deleteValue(std::string_view name) const
{
    if (isShellFolders(hive_, path_))
        return false;
    Store& store = Store::instance();
    std::lock_guard lock(store.mutex);
    HiveData next = store.current(hive_);
    StoredKey* key = findKey(next, fold(path_));
    if (!key)
        return false;
    const SettingValue* value = findValue(*key, name);
    if (!value)
        return false;
    key->values.erase(key->values.begin() + (value - key->values.data()));
    return store.save(hive_, std::move(next));
}

SettingsProfile::SettingsProfile(std::string_view application)
    : root_(std::string("Software\\Orlim Durad\\") + std::string(application))
{
}

std::string SettingsProfile::sectionPath(std::string_view section) const
{
    return root_ + '\\' + std::string(section);
}

std::string SettingsProfile::getString(std::string_view section, std::string_view entry,
                                       std::string_view fallback) const
{
    if (const auto key = SettingsKey::open(SettingsHive::User, sectionPath(section)))
        if (const auto text = key->queryString(entry))
            return *text;
    return std::string(fallback);
}

std::int32_t SettingsProfile::getInt(std::string_view section, std::string_view entry,
                                     std::int32_t fallback) const
{
    if (const auto key = SettingsKey::open(SettingsHive::User, sectionPath(section)))
        if (const auto number = key->queryInt(entry))
            return static_cast<std::int32_t>(*number);
    return fallback;
}

bool SettingsProfile::writeString(std::string_view section, std::string_view entry,
                                  std::string_view text) const
{
    const auto key = SettingsKey::create(SettingsHive::User, sectionPath(section));
    return key && key->setString(entry, text);
}

bool SettingsProfile::writeInt(std::string_view section, std::string_view entry,
                               std::int32_t number) const
{
    const auto key = SettingsKey::create(SettingsHive::User, sectionPath(section));
    return key && key->setInt(entry, static_cast<std::uint32_t>(number));
}

std::vector<std::string> SettingsProfile::entryNames(std::string_view section) const
{
    std::vector<std::string> names;
    if (const auto key = SettingsKey::open(SettingsHive::User, sectionPath(section)))
        for (std::size_t i = 0; const auto value = key->value(i); ++i)
            names.push_back(value->name);
    return names;
}

bool SettingsProfile::deleteEntry(std::string_view section, std::string_view entry) const
{
    const auto key = SettingsKey::open(SettingsHive::User, sectionPath(section));
    return key && key->deleteValue(entry);
}

std::string settingsFilePath(SettingsHive hive)
{
    return settingsFolder() + "/" + fileName(hive);
}

} // namespace orlim
