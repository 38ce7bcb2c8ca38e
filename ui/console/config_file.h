#ifndef BRINDLEMARK_UI_CONSOLE_CONFIG_FILE_H
#define BRINDLEMARK_UI_CONSOLE_CONFIG_FILE_H

#include <optional>
#include <string>

#include "ui/console/tag_text_encoding.h"

namespace brindlemark::console {

// The options a user always wants, set once in a config file: one
// "key = value" a line, keys spelled as the long options. A line whose
// first non-blank character is "#" is a comment (a "#" inside a value is
// part of it); blank lines are allowed.

// What a config file sets; an item it does not set is left out.
struct ConfigSettings {
    std::optional<std::string> format;  // format = %2N - %S
    std::optional<bool> unicode;        // unicode = yes | no
    std::optional<bool> fixConflicts;   // fix-conflicts = yes | no
    bool tagEncodingSet = false;        // tag-encoding = auto | utf-8 | shift_jis | windows-1252
    std::optional<TextEncoding> tagEncoding;  // none: decided per file (auto)
};

// $XDG_CONFIG_HOME/brindlemark/config, or ~/.config/brindlemark/config when
// XDG_CONFIG_HOME is unset, empty or not absolute; empty when no home
// folder is known either.
std::string configFilePath();

// Reads the settings of a config file's text; false, with error set to
// "PATH:LINE: why", at the first unknown key or bad value.
bool parseConfig(const std::string& text, const std::string& path, ConfigSettings& settings, std::string& error);

enum class ConfigRead { Absent, Read, Refused };

// Reads the config file at path (Absent when there is none); Refused, with
// error set, when it cannot be read or parseConfig refuses it.
ConfigRead readConfigFile(const std::string& path, ConfigSettings& settings, std::string& error);

}  // namespace brindlemark::console

#endif
