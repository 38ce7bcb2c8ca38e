#include "ui/console/tag_set_output.h"

#include <cstdio>

#include "ui/console/run_ending.h"
#include "ui/console/tag_json.h"

namespace brindlemark::console {

TagSetOutput::HeldFile& TagSetOutput::nextFile(const char* path) {
    // The folder as the path names it, compared without copying it.
    const std::string_view whole(path);
    const std::size_t slash = whole.rfind('/');
    const std::string_view folder = whole.substr(0, slash == std::string_view::npos ? 0 : slash + 1);
    if (held_ > 0 && (held_ == SET_MOST_FILES || folder != folder_)) print();
    if (held_ == 0) folder_.assign(folder);
    if (held_ == files_.size()) files_.emplace_back();
    HeldFile& file = files_[held_++];
    file.path.assign(whole);
    return file;
}

void TagSetOutput::print() {
    shown_.clear();
    for (std::size_t i = 0; i < held_; ++i) shown_.push_back({files_[i].path.c_str(), files_[i].kind, &files_[i].tag});
    printSet(shown_.data(), shown_.size());
    held_ = 0;
}

void TagSetOutput::printSet(const ShownFile* files, std::size_t count) {
    tags_.clear();
    for (std::size_t i = 0; i < count; ++i) {
        if (files[i].kind > 0) tags_.push_back(files[i].tag);
    }
    encodings_.resize(tags_.size());
    decoder_.decideSet(tags_.data(), tags_.size(), encodings_.data());
    std::size_t recognised = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const ShownFile& file = files[i];
        if (file.kind > 0) decoder_.decodeTag(*file.tag, encodings_[recognised++], decoded_);
        line_ = tagJson(file.path, file.kind, *file.tag, &decoded_);
        line_ += '\n';
        if (std::fwrite(line_.data(), 1, line_.size(), stdout) != line_.size()) endRunOnOutputFailure();
    }
}

}  // namespace brindlemark::console
