#include "ui/console/config_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "ui/console/template_check.h"
#include "ui/console/user_folder.h"

namespace brindlemark::console {

namespace {

constexpr char BLANKS[] = " \t\r";

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(BLANKS);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
}

// One key of the file and how its value is read; false with why set when
// the value is bad.
struct ConfigKey {
    const char* name;
    bool (*read)(const std::string& value, ConfigSettings& settings, std::string& why);
};

bool readFormat(const std::string& value, ConfigSettings& settings, std::string& why) {
    why = value.empty() ? "format needs a template" : templateFault(value);
    if (!why.empty()) return false;
    settings.format = value;
    return true;
}

// A value of yes or no, for the key named.
bool readYesNo(const char* key, const std::string& value, std::optional<bool>& setting, std::string& why) {
    if (value != "yes" && value != "no") {
        why = std::string(key) + " is yes or no, not \"" + value + "\"";
        return false;
    }
    setting = value == "yes";
    return true;
}

bool readUnicode(const std::string& value, ConfigSettings& settings, std::string& why) {
    return readYesNo("unicode", value, settings.unicode, why);
}

bool readFixConflicts(const std::string& value, ConfigSettings& settings, std::string& why) {
    return readYesNo("fix-conflicts", value, settings.fixConflicts, why);
}

bool readTagEncoding(const std::string& value, ConfigSettings& settings, std::string& why) {
    if (!parseTagEncoding(value, settings.tagEncoding)) {
        why = "unknown tag-encoding \"" + value + "\" (" + TAG_ENCODING_CHOICES + ")";
        return false;
    }
    settings.tagEncodingSet = true;
    return true;
}

constexpr ConfigKey KEYS[] = {
    {"format", readFormat},
    {"unicode", readUnicode},
    {"tag-encoding", readTagEncoding},
    {"fix-conflicts", readFixConflicts},
};

}  // namespace

std::string configFilePath() {
    const std::string base = userFolder("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base + "/brindlemark/config";
}

bool parseConfig(const std::string& text, const std::string& path, ConfigSettings& settings, std::string& error) {
    std::istringstream lines(text);
    std::size_t number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == '#') continue;
        const std::size_t equals = content.find('=');
        std::string why;
        if (equals == std::string::npos) {
            why = "\"" + content + "\" is no \"key = value\"";
        } else {
            const std::string key = trimmed(content.substr(0, equals));
            const std::string value = trimmed(content.substr(equals + 1));
            const ConfigKey* found = nullptr;
            for (const ConfigKey& known : KEYS) {
                if (key == known.name) found = &known;
            }
            if (found == nullptr) {
                why = "unknown key \"" + key + "\" (";
                for (const ConfigKey& known : KEYS) why += std::string(&known == KEYS ? "" : ", ") + known.name;
                why += ")";
            } else {
                found->read(value, settings, why);
            }
        }
        if (!why.empty()) {
            error = path + ":" + std::to_string(number) + ": " + why;
            return false;
        }
    }
    return true;
}

ConfigRead readConfigFile(const std::string& path, ConfigSettings& settings, std::string& error) {
    if (path.empty()) return ConfigRead::Absent;
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0 && errno == ENOENT) return ConfigRead::Absent;
    std::string text;
    ssize_t got = file < 0 ? -1 : 0;
    char buffer[4096];
    while (file >= 0 && (got = read(file, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
    const int cause = errno;
    if (file >= 0) close(file);
    if (got < 0) {
        error = "cannot read " + path + ": " + std::strerror(cause);
        return ConfigRead::Refused;
    }
    return parseConfig(text, path, settings, error) ? ConfigRead::Read : ConfigRead::Refused;
}

}  // namespace brindlemark::console
