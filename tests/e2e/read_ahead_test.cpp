// brindlemark stopped while it reads a drop's tags ahead or moves its files:
// every move it made has its record in the journal (so --undo takes the
// folder back whole), and a stop it was asked for leaves no moved file
// without its line.

#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "tests/e2e/console_support.h"

namespace {

using e2e::RunSetup;

class ReadAheadRun : public e2e::Folder {};

TEST_F(ReadAheadRun, AStopAtAnyMomentLeavesNoMoveWithoutItsRecordOrItsLine) {
    constexpr int FILES = 1200;  // more than one window of the batch's read ahead
    ASSERT_EQ(mkdir((dir + "/set").c_str(), 0755), 0);
    for (int i = 0; i < FILES; ++i) put("set/s-" + std::to_string(10000 + i) + ".spc", e2e::spc(std::to_string(i)));
    const std::set<std::string> before = names("set");
    const std::string journal = dir + "/run.journal";
    const struct {
        int signal;
        int afterMs;
        bool linesKept;  // a stop the console honours after the current file
    } stops[] = {
        {SIGKILL, 0, false}, {SIGKILL, 4, false},  {SIGKILL, 20, false},
        {SIGKILL, 40, false}, {SIGINT, 4, true}, {SIGINT, 20, true},
    };
    for (const auto& s : stops) {
        SCOPED_TRACE("signal " + std::to_string(s.signal) + " after " + std::to_string(s.afterMs) + " ms");
        std::remove(journal.c_str());
        RunSetup stop;
        stop.stopAfterMs = s.afterMs;
        stop.stopSignal = s.signal;
        const e2e::Outcome r = e2e::run(dir, {"-r", "-f", "%S", "--journal", journal, "set"}, stop);

        std::set<std::string> renamed;
        for (const std::string& name : names("set")) {
            if (before.count(name) == 0) renamed.insert(name);
        }
        if (s.linesKept) {
            std::set<std::string> printed;
            std::istringstream lines(r.out);
            for (std::string line; std::getline(lines, line);) {
                const std::size_t arrow = line.find(" -> ");
                ASSERT_NE(arrow, std::string::npos) << line;
                printed.insert(line.substr(arrow + 4));
            }
            EXPECT_EQ(renamed, printed);
        }
        if (!renamed.empty()) e2e::run(dir, {"--undo", journal});
        EXPECT_EQ(names("set"), before) << renamed.size() << " files were renamed";
    }
}

}  // namespace
