#ifndef BRINDLEMARK_UI_TAG_JSON_H
#define BRINDLEMARK_UI_TAG_JSON_H

#include <cstddef>
#include <string>

#include "spctag/id666_tag.h"

// Appends bytes as a JSON string. Each byte stands for the character of the
// same code (0..255); quote and backslash are escaped, and every byte below
// 0x20 or from 0x7F up is written as \u00XX, so the result is plain ASCII.
void appendJsonString(std::string& out, const char* bytes, std::size_t count);

// One JSON object on one line: path and kind, and for a kind above 0 every
// field of the record under its own name.
std::string tagJson(const char* path, FileKind kind, const ID666Tag& tag);

#endif
