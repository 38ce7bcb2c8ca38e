// The line each outcome shows: the one wording of each outcome, and the old
// name as the file's own name, whatever its path holds.

#include "rename/batch_outcome.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using brindlemark::rename::FileOutcome;
using brindlemark::rename::Outcome;

TEST(OutcomeLine, EachOutcomeShowsTheOldNameAndWhatHappened) {
    const std::string longName = std::string(253, 'c') + "\xC3\xA9" + "x.spc";  // é across byte 254
    const std::string tricky = "/m/x -> fake.spc\nb.spc";
    const struct {
        FileOutcome outcome;
        std::string line;
    } cases[] = {
        {{Outcome::Renamed, "/m/a.spc", "/m/1 - A.spc", 0}, "a.spc -> 1 - A.spc"},
        {{Outcome::MoveFailed, "/m/a.spc", "/m/1 - A.spc", 17}, "a.spc != 1 - A.spc"},
        {{Outcome::NotSpc, "/m/a.spc", "", 0}, "a.spc is not an SPC"},
        {{Outcome::ItemsMissing, "/m/a.spc", "", 0}, "a.spc - ID666 tag was missing some items"},
        {{Outcome::NoInformation, "/m/a.spc", "", 0}, "a.spc - ID666 tag did not contain any information"},
        {{Outcome::PathTooLong, "/m/a.spc", "", 0}, "a.spc path and filename is more than 255 characters"},
        {{Outcome::InvalidTemplate, "/m/a.spc", "", 0}, "Rename format is invalid"},
        {{Outcome::NotSpc, tricky, "", 0}, "x -> fake.spc\nb.spc is not an SPC"},
        {{Outcome::NotSpc, "a.spc", "", 0}, "a.spc is not an SPC"},
        // A path too long for a drop: its own name, never a piece of its
        // folder, cut before a character the bound would split.
        {{Outcome::NotSpc, "/" + std::string(300, 'f') + "/b.spc", "", 0}, "b.spc is not an SPC"},
        {{Outcome::NotSpc, "/m/" + longName, "", 0}, std::string(253, 'c') + " is not an SPC"},
        {{Outcome::NotSpc, "/m/" + std::string(260, 'd'), "", 0}, std::string(254, 'd') + " is not an SPC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(brindlemark::rename::outcomeLine(c.outcome), c.line) << c.outcome.droppedPath;
    }
}

}  // namespace
