#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/core/messages.h"

namespace quillon {
namespace {

struct Recorder : MessageTarget {
    std::vector<unsigned> seen;
    void HandleMessage(const Message& m) override { seen.push_back(m.id); }
};

TEST(SimpleMessageQueue, RunsPostedMessagesInOrderLater) {
    SimpleMessageQueue queue;
    Recorder target;
    queue.Post(target, {kMsgProgress, 5, 0});
    queue.Post(target, {kMsgPageAvailable, 1, 0});
    EXPECT_TRUE(target.seen.empty());
    queue.ProcessMessages();
    EXPECT_EQ(target.seen, (std::vector<unsigned>{kMsgProgress, kMsgPageAvailable}));
}

TEST(SimpleMessageQueue, DropsMessagesForTargetsThatAreGone) {
    SimpleMessageQueue queue;
    Recorder survivor;
    {
        auto gone = std::make_unique<Recorder>();
        queue.Post(*gone, {kMsgProgress, 1, 0});
    }
    queue.Post(survivor, {kMsgPrintAgain, 0, 0});
    queue.ProcessMessages();
    EXPECT_EQ(survivor.seen, (std::vector<unsigned>{kMsgPrintAgain}));
    EXPECT_EQ(queue.Pending(), 0u);
}

}  // namespace
}  // namespace quillon
