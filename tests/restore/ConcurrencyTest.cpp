// A restore, an undo and the calls the program makes into them from other
// threads at the same time: the main thread reads the journal and cancels,
// the window service is asked for the displays' windows. Whatever the
// interleaving, every entry ends with exactly one result and nothing races
// (this suite also runs under ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "RestoreScenario.h"

namespace orvale {
namespace {

using testing_support::RestoreScenario;

class RestoreConcurrencyTest : public RestoreScenario {
  protected:
    void SetUp() override {
        for (int i = 0; i < 12; ++i) {
            const std::string app = "App " + std::to_string(10 + i);
            open(launch(app), {40.0 + 10 * i, 60, 500, 400});
            save(app, "Studio", {1612.0 + 10 * i, 100, 1000, 800});
        }
    }
};

TEST_F(RestoreConcurrencyTest, CancellingAndReadingFromOtherThreadsKeepsEveryResultWhole) {
    for (int round = 0; round < 4; ++round) {
        CancellationFlag flag;
        std::atomic<bool> done{false};
        std::thread main([&] {
            int reads = 0;
            while (!done.load()) {
                (void)service.undoSnapshot();
                (void)windowService.activeDesktopWindows();
                if (++reads == 3 * (round + 1)) flag.cancel();
            }
        });
        const RestoreResult result = restore({}, &flag);
        const auto undone = service.undo(displays(), exclusions, &flag);
        done = true;
        main.join();

        ASSERT_EQ(result.entries.size(), layout.entries.size());
        for (std::size_t i = 0; i < result.entries.size(); ++i) {
            EXPECT_EQ(result.entries[i].entryID, layout.entries[i].id);
        }
        EXPECT_EQ(result.wasCancelled, result.summary.starts_with("Cancelled"));
        if (undone) {
            EXPECT_EQ(undone->wasCancelled, undone->summary.starts_with("Cancelled"));
        }
    }
}

}  // namespace
}  // namespace orvale
