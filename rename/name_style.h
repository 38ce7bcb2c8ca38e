#ifndef BRINDLEMARK_RENAME_NAME_STYLE_H
#define BRINDLEMARK_RENAME_NAME_STYLE_H

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "spctag/id666_tag.h"

namespace brindlemark::rename {

// The characters that can be no part of a file name on Windows, and so,
// for names to agree, on no system.
constexpr char NAME_FORBIDDEN_CHARACTERS[] = "\\/:*?\"<>|";

// True for one of NAME_FORBIDDEN_CHARACTERS (never for NUL).
inline bool isForbiddenNameCharacter(char32_t c) {
    return c != 0 && c < 0x80 && std::strchr(NAME_FORBIDDEN_CHARACTERS, static_cast<int>(c)) != nullptr;
}

// Makes a file name safe in place: control bytes, bytes from 0x80 up and
// \ / : * ? " < > | become "_". The length does not change.
void cleanFileName(char* name);

// How the batch turns a tag's texts into a file name. The default is the
// dialog's own rule: the texts as their bytes stand, and every byte from
// 0x80 up made "_" with the rest of cleanFileName.
class NameStyle {
public:
    virtual ~NameStyle() = default;
    // Called once per set (the files of one folder the batch read ahead
    // together) before any of them is named, with the tags of those that
    // are SPC files, as read. The default does nothing.
    virtual void prepareSet(const std::vector<const spctag::ID666Tag*>& tags) const { static_cast<void>(tags); }
    // Rewrites the tag's text items before the template is expanded (for
    // instance decoded to UTF-8). Each stays a NUL-terminated text inside its
    // own field. The default leaves them as they are.
    virtual void prepareTag(spctag::ID666Tag& tag) const { static_cast<void>(tag); }
    // Makes the new file name (stem and ".spc", length bytes and a NUL) safe
    // in place and returns its length; it may only become shorter, and never
    // ends inside a character.
    virtual std::size_t cleanName(char* name, std::size_t length) const {
        cleanFileName(name);
        return length;
    }
    // Gives the cleaned name, which starts at nameStart in newPath, its final
    // form (for instance normalised), which may be longer; the batch checks
    // the path's length after it. The default leaves it as it is.
    virtual void finishName(std::string& newPath, std::size_t nameStart) const {
        static_cast<void>(newPath);
        static_cast<void>(nameStart);
    }
};

}  // namespace brindlemark::rename

#endif
