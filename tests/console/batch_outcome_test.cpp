// Reading the batch's lines back into outcomes.

#include "ui/console/batch_outcome.h"

#include <gtest/gtest.h>

#include <string>


namespace {

TEST(BatchLine, EachLineReadsAsItsOutcomeWhateverTheNameHolds) {
    struct Case {
        std::string dropped, line;
        BatchOutcome outcome;
        std::string newName;
    };
    const std::string tricky = "/m/x -> fake.spc\nb.spc";
    const std::string cut = "/m/" + std::string(260, 'c');
    for (const Case& c : {
             Case{"/m/a.spc", "a.spc -> 1 - A.spc", BatchOutcome::Renamed, "1 - A.spc"},
             Case{"/m/a.spc", "a.spc != 1 - A.spc", BatchOutcome::MoveFailed, "1 - A.spc"},
             Case{"/m/a.spc", "a.spc is not an SPC", BatchOutcome::NotSpc, ""},
             Case{"/m/a.spc", "a.spc - ID666 tag was missing some items", BatchOutcome::ItemsMissing, ""},
             Case{"/m/a.spc", "a.spc - ID666 tag did not contain any information", BatchOutcome::NoInformation, ""},
             Case{"/m/a.spc", "a.spc path and filename is more than 255 characters", BatchOutcome::PathTooLong, ""},
             Case{"/m/a.spc", "Rename format is invalid", BatchOutcome::InvalidTemplate, ""},
             Case{tricky, "x -> fake.spc\nb.spc is not an SPC", BatchOutcome::NotSpc, ""},
             Case{tricky, "x -> fake.spc\nb.spc -> 2 - B.spc", BatchOutcome::Renamed, "2 - B.spc"},
             Case{cut, std::string(251, 'c') + " is not an SPC", BatchOutcome::NotSpc, ""},
             Case{"/m/a.spc", "b.spc -> 1 - A.spc", BatchOutcome::Unknown, ""},
         }) {
        const LineOutcome read = readBatchLine(c.line, c.dropped);
        EXPECT_EQ(read.outcome, c.outcome) << c.line;
        EXPECT_EQ(read.newName, c.newName) << c.line;
    }
}

}  // namespace
