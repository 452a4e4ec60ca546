#include "platform/settings.h"

#include "platform/system.h"
#include "platform/text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// The file holds one block per key, in tree order:
//
//   [SOFTWARE\Mirelt Electronic\Tavrissel/plus\MainWindow]
//   "Left"=integer:-1
//   "Caption"="Tavrissel plus"
//
// Key paths and texts are written as UTF-8 so that the file reads well; inside quotes a
// backslash escapes \\ \" \n \r \t and \xHH (one Windows-1252 byte), which carries control
// bytes and the code page's unassigned bytes. Lines starting with ';' or '#' are comments.

namespace platform {

namespace {

struct Value {
    std::string name;
    SettingsType type = SettingsType::None;
    std::string text;
    int32_t number = 0;
};

struct Key {
    std::string name;
    std::vector<Value> values;
    std::vector<std::unique_ptr<Key>> children;

    Key* child(std::string_view childName) const {
        for (const auto& c : children) {
            if (EqualNoCase(c->name, childName))
                return c.get();
        }
        return nullptr;
    }
    Key& childOrNew(const std::string& childName) {
        if (Key* existing = child(childName))
            return *existing;
        children.push_back(std::make_unique<Key>());
        children.back()->name = childName;
        return *children.back();
    }
    Value* value(std::string_view valueName) {
        for (auto& v : values) {
            if (EqualNoCase(v.name, valueName))
                return &v;
        }
        return nullptr;
    }
};

// Identifies one version of the file; a rename by another writer always changes it.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified = 0;
    int64_t changed = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::string& path) {
    struct stat info {};
    FileStamp stamp;
    if (::stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
    stamp.changed = info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec;
    return stamp;
}

bool validKeyName(std::string_view name) {
    if (name.empty())
        return false;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

// Splits at "\"; empty levels (leading, trailing or doubled separators) are skipped.
std::optional<std::vector<std::string>> splitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (!part.empty()) {
            if (!validKeyName(part))
                return std::nullopt;
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    return parts;
}

std::vector<std::string> checkedKeyPath(const std::string& path) {
    auto parts = splitKeyPath(path);
    if (!parts)
        throw SettingsError("Invalid key name: " + Windows1252ToUtf8(path));
    return *parts;
}

bool isUnassigned(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

void appendQuoted(std::string& out, std::string_view text) {
    static const char digits[] = "0123456789ABCDEF";
    out += '"';
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F || isUnassigned(byte)) {
                out += "\\x";
                out += digits[byte >> 4];
                out += digits[byte & 0x0F];
            } else {
                out += Windows1252ToUtf8(std::string_view(&c, 1));
            }
        }
    }
    out += '"';
}

void appendKey(std::string& out, const Key& key, const std::string& path) {
    if (!path.empty() || !key.values.empty()) {
        out += '[';
        out += Windows1252ToUtf8(path);
        out += "]\n";
    }
    for (const auto& v : key.values) {
        appendQuoted(out, v.name);
        out += '=';
        if (v.type == SettingsType::Integer)
            out += "integer:" + std::to_string(v.number);
        else
            appendQuoted(out, v.text);
        out += '\n';
    }
    for (const auto& c : key.children)
        appendKey(out, *c, path.empty() ? c->name : path + '\\' + c->name);
}

std::string serialize(const Key& root) {
    std::string out = "; Tavrissel settings of the current user\n";
    appendKey(out, root, {});
    return out;
}

struct ParseError {
    std::string reason;
};

// Reads a quoted text starting at line[pos] == '"'; leaves pos after the closing quote.
std::string parseQuoted(std::string_view line, size_t& pos) {
    if (pos >= line.size() || line[pos] != '"')
        throw ParseError{"Anf\xFChrungszeichen erwartet"};
    ++pos;
    std::string result;
    std::string utf8Run;
    auto flush = [&] {
        result += Utf8ToWindows1252(utf8Run);
        utf8Run.clear();
    };
    while (true) {
        if (pos >= line.size())
            throw ParseError{"schlie\xDF"
                             "endes Anf\xFChrungszeichen fehlt"};
        char c = line[pos++];
        if (c == '"')
            break;
        if (c != '\\') {
            utf8Run += c;
            continue;
        }
        flush();
        if (pos >= line.size())
            throw ParseError{"unvollst\xE4ndige Escape-Folge"};
        char e = line[pos++];
        switch (e) {
        case '\\':
        case '"':
            result += e;
            break;
        case 'n':
            result += '\n';
            break;
        case 'r':
            result += '\r';
            break;
        case 't':
            result += '\t';
            break;
        case 'x': {
            int hi = pos < line.size() ? HexDigitValue(line[pos]) : -1;
            int lo = pos + 1 < line.size() ? HexDigitValue(line[pos + 1]) : -1;
            if (hi < 0 || lo < 0)
                throw ParseError{"ung\xFCltige Escape-Folge"};
            result += static_cast<char>(hi * 16 + lo);
            pos += 2;
            break;
        }
        default:
            throw ParseError{"ung\xFCltige Escape-Folge"};
        }
    }
    flush();
    return result;
}

void skipBlanks(std::string_view line, size_t& pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
}

int32_t parseInteger(std::string_view text) {
    if (text.empty())
        throw ParseError{"ung\xFCltige Zahl"};
    std::string digits(text);
    char* end = nullptr;
    errno = 0;
    long long number = std::strtoll(digits.c_str(), &end, 10);
    if (errno != 0 || end != digits.c_str() + digits.size() || number < INT32_MIN ||
        number > INT32_MAX || !(digits[0] == '-' || (digits[0] >= '0' && digits[0] <= '9')))
        throw ParseError{"ung\xFCltige Zahl"};
    return static_cast<int32_t>(number);
}

void parseValueLine(std::string_view line, size_t pos, Key& key) {
    Value value;
    value.name = parseQuoted(line, pos);
    skipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=')
        throw ParseError{"'=' erwartet"};
    ++pos;
    skipBlanks(line, pos);
    constexpr std::string_view integerTag = "integer:";
    if (line.substr(pos, integerTag.size()) == integerTag) {
        pos += integerTag.size();
        size_t end = pos;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t')
            ++end;
        value.type = SettingsType::Integer;
        value.number = parseInteger(line.substr(pos, end - pos));
        pos = end;
    } else {
        value.type = SettingsType::String;
        value.text = parseQuoted(line, pos);
    }
    skipBlanks(line, pos);
    if (pos != line.size())
        throw ParseError{"unerwartete Zeichen am Zeilenende"};
    if (Value* existing = key.value(value.name))
        *existing = std::move(value);
    else
        key.values.push_back(std::move(value));
}

// Parses the whole file; throws ParseError with the line number in front of the reason.
std::unique_ptr<Key> parse(std::string_view content) {
    auto root = std::make_unique<Key>();
    Key* current = nullptr;
    size_t lineNumber = 0;
    size_t start = 0;
    if (content.substr(0, 3) == "\xEF\xBB\xBF")
        start = 3; // byte order mark of an editor
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string_view::npos)
            end = content.size();
        std::string_view line = content.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        // An editor may leave blanks (and a carriage return) at the end of a line.
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        size_t pos = 0;
        skipBlanks(line, pos);
        try {
            if (pos == line.size() || line[pos] == ';' || line[pos] == '#')
                continue;
            if (line[pos] == '[') {
                if (line.back() != ']')
                    throw ParseError{"']' fehlt"};
                std::string path = Utf8ToWindows1252(line.substr(pos + 1, line.size() - pos - 2));
                auto parts = splitKeyPath(path);
                if (!parts)
                    throw ParseError{"ung\xFCltiger Schl\xFC"
                                     "sselname"};
                current = root.get();
                for (const auto& part : *parts)
                    current = &current->childOrNew(part);
            } else if (line[pos] == '"') {
                if (!current)
                    throw ParseError{"Wert vor dem ersten Schl\xFC"
                                     "ssel"};
                parseValueLine(line, pos, *current);
            } else {
                throw ParseError{"unbekannte Zeile"};
            }
        } catch (const ParseError& error) {
            throw ParseError{"Zeile " + std::to_string(lineNumber) + ": " + error.reason};
        }
    }
    return root;
}

std::string directoryOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void makeDirectories(const std::string& directory) {
    if (directory.empty() || directory == "/" || directory == ".")
        return;
    struct stat info {};
    if (::stat(directory.c_str(), &info) == 0)
        return;
    makeDirectories(directoryOf(directory));
    if (::mkdir(directory.c_str(), 0777) != 0 && errno != EEXIST)
        throw SettingsError(directory + " kann nicht angelegt werden: " + SystemErrorText(errno));
}

// Exclusive lock of the store against other instances, held while one change is written.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0)
            throw SettingsError(path + " kann nicht geöffnet werden: " + SystemErrorText(errno));
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                int code = errno;
                ::close(fd_);
                throw SettingsError(path + " kann nicht gesperrt werden: " + SystemErrorText(code));
            }
        }
    }
    ~FileLock() { ::close(fd_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

std::string userStorePath() {
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry ? entry->pw_dir : nullptr;
        }
        base = std::string(home && *home ? home : "/tmp") + "/.config";
    }
    return base + "/tavrissel/registry.txt";
}

// Matches no file, so that the next access reads the file again.
FileStamp unknownStamp() {
    FileStamp stamp;
    stamp.inode = static_cast<ino_t>(-1);
    return stamp;
}

} // namespace

struct Settings::Impl {
    std::string path;
    std::string problem;
    std::mutex mutex;
    std::unique_ptr<Key> root = std::make_unique<Key>();
    FileStamp stamp;
    bool damagedOnDisk = false;
    unsigned tempCounter = 0;
    int batchDepth = 0;
    std::vector<std::function<bool(Key&)>> pending;

    // Takes the file's content when it changed since it was last seen; a damaged or
    // unreadable file leaves the store as it is and returns the message.
    std::optional<std::string> refresh() {
        FileStamp now = stampOf(path);
        if (now == stamp)
            return std::nullopt;
        stamp = now;
        damagedOnDisk = false;
        if (!now.exists) {
            root = std::make_unique<Key>();
            return std::nullopt;
        }
        std::string content;
        if (const int error = ReadWholeFile(path, content)) {
            if (error == ENOENT) {
                root = std::make_unique<Key>();
                return std::nullopt;
            }
            stamp = unknownStamp();
            return "Die Einstellungsdatei \"" + Utf8ToWindows1252(path) +
                   "\" kann nicht gelesen werden: " + Utf8ToWindows1252(SystemErrorText(error)) +
                   "; es gelten die Voreinstellungen.";
        }
        try {
            root = parse(content);
        } catch (const ParseError& error) {
            damagedOnDisk = true;
            return "Die Einstellungsdatei \"" + Utf8ToWindows1252(path) + "\" ist besch\xE4" +
                   "digt (" + error.reason + "); es gelten die Voreinstellungen.";
        }
        return std::nullopt;
    }

    Key* find(const std::string& keyPath) {
        auto parts = splitKeyPath(keyPath);
        if (!parts)
            return nullptr;
        Key* key = root.get();
        for (const auto& part : *parts) {
            key = key->child(part);
            if (!key)
                return nullptr;
        }
        return key;
    }

    // The named value; empty when missing, SettingsError when it has another type.
    const Value* typedValue(const std::string& keyPath, const std::string& name, SettingsType type,
                            const char* typeName) {
        refreshForReading();
        Key* node = find(keyPath);
        const Value* value = node ? node->value(name) : nullptr;
        if (value && value->type != type)
            throw SettingsError("Value " + Windows1252ToUtf8(keyPath + "\\" + name) + " is not " +
                                typeName);
        return value;
    }

    // A change of the tree; true when it altered something. Kept until written, so it holds
    // its arguments by value.
    using Change = std::function<bool(Key&)>;

    // Makes one change and returns whether it altered something: at once against the file's
    // latest content, or, within a batch, in memory until the batch ends.
    bool change(Change apply) {
        std::lock_guard guard(mutex);
        if (batchDepth > 0) {
            const bool changed = apply(*root);
            if (changed)
                pending.push_back(std::move(apply));
            return changed;
        }
        return commit({std::move(apply)}, false);
    }

    // Applies the changes to the file's content, read again under the lock (always when
    // reload is set), and writes the result when one altered something. Returns whether the
    // first did.
    bool commit(const std::vector<Change>& changes, bool reload) {
        makeDirectories(directoryOf(path));
        FileLock lock(path + ".lock");
        if (reload)
            stamp = unknownStamp();
        // An unreadable file must not be replaced by what little this instance knows.
        if (auto problem = refresh(); problem && !damagedOnDisk)
            throw SettingsError(Windows1252ToUtf8(*problem));
        bool first = false;
        bool any = false;
        for (size_t i = 0; i < changes.size(); ++i) {
            const bool changed = changes[i](*root);
            first = i == 0 ? changed : first;
            any = any || changed;
        }
        if (!any)
            return false;
        try {
            if (damagedOnDisk) {
                // Kept for the user rather than overwritten.
                if (::rename(path.c_str(), (path + ".damaged").c_str()) != 0 && errno != ENOENT)
                    throw SettingsError("Die beschädigte Einstellungsdatei " + path +
                                        " kann nicht aufbewahrt werden: " + SystemErrorText(errno));
                damagedOnDisk = false;
            }
            store();
        } catch (...) {
            stamp = unknownStamp();
            throw;
        }
        return first;
    }

    // Reads see the file's latest content, except within a batch, whose changes are only
    // in memory so far.
    void refreshForReading() {
        if (batchDepth == 0)
            refresh();
    }

    void store() {
        std::string temp = path + ".tmp-" + std::to_string(::getpid()) + "-" +
                           std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" +
                           std::to_string(++tempCounter);
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            throw SettingsError(temp + " kann nicht angelegt werden: " + SystemErrorText(errno));
        try {
            if (const int error = WriteAll(fd, serialize(*root)))
                throw SettingsError(temp +
                                    " kann nicht geschrieben werden: " + SystemErrorText(error));
            if (::fsync(fd) != 0)
                throw SettingsError(temp +
                                    " kann nicht geschrieben werden: " + SystemErrorText(errno));
            if (::close(fd) != 0) {
                fd = -1;
                throw SettingsError(temp +
                                    " kann nicht geschrieben werden: " + SystemErrorText(errno));
            }
            fd = -1;
            if (::rename(temp.c_str(), path.c_str()) != 0)
                throw SettingsError(path + " kann nicht ersetzt werden: " + SystemErrorText(errno));
        } catch (...) {
            if (fd >= 0)
                ::close(fd);
            ::unlink(temp.c_str());
            throw;
        }
        stamp = stampOf(path);
    }
};

Settings& Settings::user() {
    static Settings store(userStorePath());
    return store;
}

Settings::Settings(std::string filePath) : impl_(std::make_shared<Impl>()) {
    impl_->path = std::move(filePath);
    if (auto problem = impl_->refresh())
        impl_->problem = *problem;
}

bool Settings::keyExists(const std::string& key) const {
    std::lock_guard guard(impl_->mutex);
    impl_->refreshForReading();
    return impl_->find(key) != nullptr;
}

void Settings::createKey(const std::string& key) {
    auto parts = checkedKeyPath(key);
    impl_->change([parts](Key& root) {
        Key* node = &root;
        bool created = false;
        for (const auto& part : parts) {
            if (Key* existing = node->child(part)) {
                node = existing;
            } else {
                node = &node->childOrNew(part);
                created = true;
            }
        }
        return created;
    });
}

bool Settings::deleteKey(const std::string& key) {
    auto parts = checkedKeyPath(key);
    if (parts.empty())
        return false; // the root itself stays
    return impl_->change([parts](Key& root) {
        Key* parent = &root;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            parent = parent->child(parts[i]);
            if (!parent)
                return false;
        }
        auto& children = parent->children;
        for (auto it = children.begin(); it != children.end(); ++it) {
            if (EqualNoCase((*it)->name, parts.back())) {
                children.erase(it);
                return true;
            }
        }
        return false;
    });
}

std::vector<std::string> Settings::subKeys(const std::string& key) const {
    std::lock_guard guard(impl_->mutex);
    impl_->refreshForReading();
    std::vector<std::string> names;
    if (Key* node = impl_->find(key)) {
        for (const auto& c : node->children)
            names.push_back(c->name);
    }
    return names;
}

std::vector<std::string> Settings::valueNames(const std::string& key) const {
    std::lock_guard guard(impl_->mutex);
    impl_->refreshForReading();
    std::vector<std::string> names;
    if (Key* node = impl_->find(key)) {
        for (const auto& v : node->values)
            names.push_back(v.name);
    }
    return names;
}

SettingsType Settings::valueType(const std::string& key, const std::string& name) const {
    std::lock_guard guard(impl_->mutex);
    impl_->refreshForReading();
    Key* node = impl_->find(key);
    Value* value = node ? node->value(name) : nullptr;
    return value ? value->type : SettingsType::None;
}

bool Settings::deleteValue(const std::string& key, const std::string& name) {
    auto parts = checkedKeyPath(key);
    return impl_->change([parts, name](Key& root) {
        Key* node = &root;
        for (const auto& part : parts) {
            node = node->child(part);
            if (!node)
                return false;
        }
        for (auto it = node->values.begin(); it != node->values.end(); ++it) {
            if (EqualNoCase(it->name, name)) {
                node->values.erase(it);
                return true;
            }
        }
        return false;
    });
}

namespace {

// Stores a value under the key, creating the key's levels as needed.
void put(Key& root, const std::vector<std::string>& parts, const Value& value) {
    Key* node = &root;
    for (const auto& part : parts)
        node = &node->childOrNew(part);
    if (Value* existing = node->value(value.name)) {
        existing->type = value.type;
        existing->text = value.text;
        existing->number = value.number;
    } else {
        node->values.push_back(value);
    }
}

} // namespace

void Settings::writeString(const std::string& key, const std::string& name,
                           const std::string& value) {
    auto parts = checkedKeyPath(key);
    Value v{name, SettingsType::String, value, 0};
    impl_->change([parts, v](Key& root) {
        put(root, parts, v);
        return true;
    });
}

void Settings::writeInteger(const std::string& key, const std::string& name, int32_t value) {
    auto parts = checkedKeyPath(key);
    Value v{name, SettingsType::Integer, {}, value};
    impl_->change([parts, v](Key& root) {
        put(root, parts, v);
        return true;
    });
}

std::optional<std::string> Settings::readString(const std::string& key,
                                                const std::string& name) const {
    std::lock_guard guard(impl_->mutex);
    const Value* value = impl_->typedValue(key, name, SettingsType::String, "a string");
    return value ? std::optional<std::string>(value->text) : std::nullopt;
}

std::optional<int32_t> Settings::readInteger(const std::string& key,
                                             const std::string& name) const {
    std::lock_guard guard(impl_->mutex);
    const Value* value = impl_->typedValue(key, name, SettingsType::Integer, "an integer");
    return value ? std::optional<int32_t>(value->number) : std::nullopt;
}

void Settings::beginBatch() {
    std::lock_guard guard(impl_->mutex);
    // The batch starts from the file's latest content.
    if (impl_->batchDepth++ == 0)
        impl_->refresh();
}

void Settings::endBatch() {
    std::lock_guard guard(impl_->mutex);
    if (impl_->batchDepth == 0 || --impl_->batchDepth > 0)
        return;
    const std::vector<Impl::Change> changes = std::move(impl_->pending);
    impl_->pending.clear();
    if (changes.empty())
        return;
    try {
        impl_->commit(changes, true);
    } catch (...) {
        // What could not be written is dropped: the next read shows the file as it is.
        impl_->stamp = unknownStamp();
        throw;
    }
}

const std::string& Settings::loadProblem() const {
    return impl_->problem;
}

const std::string& Settings::filePath() const {
    return impl_->path;
}

} // namespace platform
