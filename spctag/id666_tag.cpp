#include "spctag/id666_tag.h"

namespace brindlemark::spctag {

ID666Tag::ID666Tag() : binaryFormat(0), mutedVoices(0), amplification(0) {
    path[0] = '\0';
}

}  // namespace brindlemark::spctag
