#include "rename/name_set.h"

#include <string_view>
#include <unordered_map>

namespace brindlemark::rename {

void findSameNames(const std::vector<const std::string*>& newPaths, NameSet& set) {
    const std::size_t count = newPaths.size();
    set.firstWithSameName.assign(count, 0);
    set.filesWithSameName.assign(count, 0);
    std::unordered_map<std::string_view, std::size_t> firstOf;
    firstOf.reserve(count);
    for (std::size_t position = 0; position < count; ++position) {
        set.firstWithSameName[position] = position;
        if (newPaths[position]->empty()) continue;
        const std::size_t first = firstOf.emplace(*newPaths[position], position).first->second;
        set.firstWithSameName[position] = first;
        ++set.filesWithSameName[first];
    }
    for (std::size_t position = 0; position < count; ++position) {
        if (!newPaths[position]->empty()) set.filesWithSameName[position] = set.filesWithSameName[set.firstWithSameName[position]];
    }
}

}  // namespace brindlemark::rename
