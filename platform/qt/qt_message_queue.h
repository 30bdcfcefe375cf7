#pragma once

#include <memory>

#include "platform/core/messages.h"

namespace quillon {

// The message queue over the Qt event loop: posted messages are events, delivered in order
// with the window system's own events, and dropped when their target has gone meanwhile.
// Needs a QCoreApplication; the GUI thread only.
class QtMessageQueue : public MessageQueue {
public:
    QtMessageQueue();
    ~QtMessageQueue() override;
    QtMessageQueue(const QtMessageQueue&) = delete;
    QtMessageQueue& operator=(const QtMessageQueue&) = delete;

    void Post(MessageTarget& target, const Message& message) override;
    void ProcessMessages() override;
    void WaitAndHandleMessage() override;
    // True once the application closes down or has been asked to quit.
    bool Terminating() override;

private:
    class Dispatcher;
    std::unique_ptr<Dispatcher> dispatcher_;
};

}  // namespace quillon
