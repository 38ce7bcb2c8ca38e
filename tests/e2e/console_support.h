#ifndef BRINDLEMARK_TESTS_E2E_CONSOLE_SUPPORT_H
#define BRINDLEMARK_TESTS_E2E_CONSOLE_SUPPORT_H

// Runs the built brindlemark on real files in a temporary folder of its own.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "spcbuild/spc_builder.h"
#include "tests/support/temp_folder.h"

namespace e2e {

using spcbuild::Bytes;

struct Outcome {
    int exitCode = -1;  // -1 when it did not exit by itself
    int signal = 0;     // the signal that ended it, if one did
    std::string out, err;
    long peakMemoryKiB = 0;  // the most memory it held at once (resident)
};

// Runs brindlemark in folder with the arguments; fails the test if it has
// not ended within 20 seconds. asNobody: when run by root, the program runs
// as the unprivileged user, so that a file without read permission stays
// unreadable to it. Journals go to the folder named by XDG_STATE_HOME, which
// every test program sets to a temporary folder of its own (a sub-folder of
// it that the unprivileged user owns, for a run as that user).
Outcome run(const std::string& folder, const std::vector<std::string>& args, bool asNobody = false);

// How else a run is started, and stopped.
struct RunSetup {
    bool asNobody = false;
    std::vector<std::pair<std::string, std::string>> environment;  // set in the child
    std::function<void()> inChild;  // called in the child just before brindlemark starts
    int stopAfterMs = -1;           // when >= 0, the signal below is sent after so long
    // Or once standard output has filled its pipe, cut to one page, unread:
    // the run is then held half-way in a write, however loaded the machine.
    bool stopOnOutput = false;
    int stopSignal = SIGKILL;
};
Outcome run(const std::string& folder, const std::vector<std::string>& args, const RunSetup& setup);

// An SPC file with a text base tag; the extended tag carries the track and
// any song title too long for the base tag.
Bytes spc(const std::string& song, std::uint16_t track = 0, const std::string& game = "Game");

// A test in a temporary folder of its own, with ways to fill and read it.
class Folder : public TempFolderTest {
protected:
    void put(const std::string& name, const Bytes& bytes);
    void put(const std::string& name, const std::string& text) { put(name, Bytes(text.begin(), text.end())); }
    Bytes read(const std::string& name);
    // The names of the folder (or of its sub-folder sub).
    std::set<std::string> names(const std::string& sub = "");
    // Every entry's name and bytes.
    std::vector<std::pair<std::string, Bytes>> snapshot(const std::string& sub = "");
};

}  // namespace e2e

#endif
