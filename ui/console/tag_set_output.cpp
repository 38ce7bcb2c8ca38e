#include "ui/console/tag_set_output.h"

#include <cstdio>

#include "ui/console/tag_json.h"

namespace brindlemark::console {

bool TagSetOutput::printSet(const ShownFile* files, std::size_t count) {
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
        if (std::fwrite(line_.data(), 1, line_.size(), stdout) != line_.size()) return false;
    }
    return true;
}

}  // namespace brindlemark::console
