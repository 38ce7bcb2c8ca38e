#include "ui/console/tag_set_output.h"

#include <cstdio>

#include "platform/path_parts.h"
#include "ui/console/run_ending.h"
#include "ui/console/tag_json.h"

namespace brindlemark::console {

void TagSetOutput::add(const char* path, FileKind kind, const ID666Tag& tag) {
    std::string folder = platform::folderOf(path);
    if (held_ > 0 && (held_ == SET_MOST_FILES || folder != folder_)) print();
    folder_ = std::move(folder);
    if (held_ == files_.size()) files_.emplace_back();
    HeldFile& file = files_[held_++];
    file.path = path;
    file.kind = kind;
    if (kind > 0) file.tag = tag;
}

void TagSetOutput::print() {
    tags_.clear();
    for (std::size_t i = 0; i < held_; ++i) {
        if (files_[i].kind > 0) tags_.push_back(&files_[i].tag);
    }
    decoder_.decideSet(tags_.data(), tags_.size());
    for (std::size_t i = 0; i < held_; ++i) {
        const HeldFile& file = files_[i];
        if (file.kind > 0) decoder_.decodeTag(file.tag, decoded_);
        line_ = tagJson(file.path.c_str(), file.kind, file.tag, &decoded_);
        line_ += '\n';
        if (std::fwrite(line_.data(), 1, line_.size(), stdout) != line_.size()) endRunOnOutputFailure();
    }
    held_ = 0;
}

}  // namespace brindlemark::console
