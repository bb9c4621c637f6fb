// The POSIX twin of the registry: the registry editor's export file named by $VANTA_REGISTRY.
#include "os/registry.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr const char* kDefaultRegistryFile = "/etc/vanta/registry.reg";
constexpr const char* kLocalMachine = "HKEY_LOCAL_MACHINE";
// A registry export of one key is a few hundred bytes; anything this large is no such export.
constexpr off_t kMaxRegistryFileBytes = 1024 * 1024;

thread_local std::string t_fileError;
thread_local bool t_fileAbsent = false;

// Reads the whole file at `path` into `bytes`, or returns why it cannot be read. The open
// does not wait for a FIFO's writer, and only a regular file is read at all.
std::string ReadWholeFile(const std::string& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    t_fileAbsent = fd < 0 && errno == ENOENT;
    if (fd < 0) {
        return std::strerror(errno);
    }
    std::string error;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? "it is a directory" : "not a regular file";
    } else if (info.st_size > kMaxRegistryFileBytes) {
        error = "larger than 1 MiB";
    }
    char chunk[4096];
    while (error.empty()) {
        const ssize_t got = ::read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = std::strerror(errno);
        } else if (got == 0) {
            break;
        } else if (bytes.size() + static_cast<size_t>(got) > kMaxRegistryFileBytes) {
            error = "larger than 1 MiB"; // it grew while being read
        } else {
            bytes.append(chunk, static_cast<size_t>(got));
        }
    }
    ::close(fd);
    return error;
}

struct Value {
    DWORD type = REG_SZ;
    std::string data; // as stored: a string value includes its final NUL
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return text;
}

// Turns the file's bytes into 8-bit text. UTF-16LE (with its byte-order mark) is narrowed
// character by character; characters beyond one byte become '?', as an ANSI conversion would.
std::string DecodeFile(const std::string& raw) {
    if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
        static_cast<unsigned char>(raw[1]) == 0xFE) {
        std::string text;
        text.reserve(raw.size() / 2);
        for (size_t i = 2; i + 1 < raw.size(); i += 2) {
            const unsigned code =
                static_cast<unsigned char>(raw[i]) |
                (static_cast<unsigned>(static_cast<unsigned char>(raw[i + 1])) << 8);
            text.push_back(code < 0x100 ? static_cast<char>(code) : '?');
        }
        return text;
    }
    if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return raw.substr(3);
    }
    return raw;
}

// Reads a quoted string starting at `pos` (on the opening quote), undoing the editor's \\ and
// \" escapes. Returns false when the closing quote is missing.
bool ReadQuoted(const std::string& line, size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') {
        return false;
    }
    for (++pos; pos < line.size(); ++pos) {
        const char ch = line[pos];
        if (ch == '\\' && pos + 1 < line.size()) {
            out.push_back(line[++pos]);
        } else if (ch == '"') {
            ++pos;
            return true;
        } else {
            out.push_back(ch);
        }
    }
    return false;
}

// Parses one `"name"=value` line of the export format. Strings and dwords are understood;
// other value kinds are skipped.
bool ParseValueLine(const std::string& line, std::string& name, Value& value) {
    size_t pos = 0;
    if (line.empty()) {
        return false;
    }
    if (line[0] == '@') {
        pos = 1; // the key's default value
    } else if (!ReadQuoted(line, pos, name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=') {
        return false;
    }
    ++pos;
    if (pos < line.size() && line[pos] == '"') {
        std::string text;
        if (!ReadQuoted(line, pos, text)) {
            return false;
        }
        value.type = REG_SZ;
        value.data = text + '\0';
        return true;
    }
    if (line.compare(pos, 6, "dword:") == 0) {
        const auto number = static_cast<DWORD>(std::strtoul(line.c_str() + pos + 6, nullptr, 16));
        value.type = REG_DWORD;
        value.data.assign(reinterpret_cast<const char*>(&number), sizeof(number));
        return true;
    }
    return false;
}
} // namespace

struct RegistryKey {
    bool predefined = false;
    std::map<std::string, Value> values; // by lower-cased name: value names ignore case
};

namespace {
RegistryKey g_localMachine{true, {}};
} // namespace

const HKEY HKEY_LOCAL_MACHINE = &g_localMachine;

std::string RegistryFilePath() {
    return RegistryFileNamed() ? std::getenv("VANTA_REGISTRY") : kDefaultRegistryFile;
}

bool RegistryFileNamed() {
    const char* path = std::getenv("VANTA_REGISTRY");
    return path != nullptr && *path != '\0';
}

const std::string& RegistryFileError() {
    return t_fileError;
}

bool RegistryFileAbsent() {
    return t_fileAbsent;
}

LSTATUS RegOpenKeyExA(HKEY root, const char* subKey, DWORD /*options*/, REGSAM /*access*/,
                      HKEY* result) {
    if (result == nullptr || root != HKEY_LOCAL_MACHINE || subKey == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    std::string raw;
    t_fileError = ReadWholeFile(RegistryFilePath(), raw);
    if (!t_fileError.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const std::string text = DecodeFile(raw);

    const std::string wanted = Lower(std::string("[") + kLocalMachine + "\\" + subKey + "]");
    auto key = std::make_unique<RegistryKey>();
    bool found = false;
    bool inKey = false;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] == '[') {
            inKey = Lower(line) == wanted;
            found = found || inKey;
            continue;
        }
        std::string name;
        Value value;
        if (inKey && ParseValueLine(line, name, value)) {
            key->values[Lower(name)] = std::move(value);
        }
    }
    if (!found) {
        return ERROR_FILE_NOT_FOUND;
    }
    *result = key.release();
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* /*reserved*/, DWORD* type,
                         unsigned char* data, DWORD* dataSize) {
    if (key == nullptr || key->predefined) {
        return ERROR_INVALID_HANDLE;
    }
    const auto found = key->values.find(Lower(valueName ? valueName : ""));
    if (found == key->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const Value& value = found->second;
    if (type != nullptr) {
        *type = value.type;
    }
    if (dataSize == nullptr) {
        return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }
    const auto size = static_cast<DWORD>(value.data.size());
    if (data != nullptr && size > *dataSize) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr) {
        std::memcpy(data, value.data.data(), size);
    }
    *dataSize = size;
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
    if (key == nullptr || key->predefined) {
        return ERROR_INVALID_HANDLE;
    }
    delete key;
    return ERROR_SUCCESS;
}

LSTATUS ReadRegistryValue(const char* subKey, const char* name, DWORD* type, unsigned char* data,
                          DWORD* dataSize) {
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS) {
        return opened;
    }
    const LSTATUS read = RegQueryValueExA(key, name, nullptr, type, data, dataSize);
    RegCloseKey(key);
    return read;
}
