#ifndef BRINDLEMARK_RENAME_NAME_SET_H
#define BRINDLEMARK_RENAME_NAME_SET_H

#include <cstddef>
#include <string>
#include <vector>

#include "rename/dropped_file.h"

namespace brindlemark::rename {

// What the batch knows of one set (the files of one folder read ahead
// together) once all of them are named and before any of them moves.
// Positions are the files' places in the set, in the order the batch takes
// them.
struct NameSet {
    std::vector<const DroppedFile*> files;
    // The largest track number %N writes for the set's SPC files (from the
    // tag, or where it has none from the file's own name as the template's
    // language reads it); 0 when none has one.
    unsigned largestTrack = 0;
    // Per file: the position of the first file of the set to get the same
    // new name, its own position when it is the first or gets no new name.
    std::vector<std::size_t> firstWithSameName;
    // Per file: how many files of the set get its new name (itself
    // included); 0 when it gets none.
    std::vector<std::size_t> filesWithSameName;

    // The digits of largestTrack: the width %*N pads the set's tracks to.
    unsigned width() const {
        unsigned digits = 1;
        for (unsigned rest = largestTrack; rest >= 10; rest /= 10) ++digits;
        return digits;
    }

    // True when another file of the set would get the same new name.
    bool sharesNewName(std::size_t position) const { return filesWithSameName[position] > 1; }
};

// Fills firstWithSameName and filesWithSameName from the new path each file
// would get (empty: none), in the set's order.
void findSameNames(const std::vector<const std::string*>& newPaths, NameSet& set);

}  // namespace brindlemark::rename

#endif
