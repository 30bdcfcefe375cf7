#pragma once

#include <cstdint>
#include <deque>
#include <memory>

namespace quillon {

// Window messages between the report printer, the preview and the report, numbered from the
// first user message number.
inline constexpr unsigned kWmUser = 1024;
inline constexpr unsigned kMsgProgress = kWmUser;            // wParam: percent
inline constexpr unsigned kMsgPageAvailable = kWmUser + 1;   // wParam: pages stored so far
inline constexpr unsigned kMsgPrintAgain = kWmUser + 2;
inline constexpr unsigned kMsgPreviewClosed = kWmUser + 4;   // lParam: the report printer

struct Message {
    unsigned id = 0;
    std::intptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// Something that receives messages. Messages posted to a target that has been destroyed
// before they run are dropped.
class MessageTarget {
public:
    MessageTarget();
    virtual ~MessageTarget();
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    virtual void HandleMessage(const Message& message) = 0;

    // Liveness token for queued messages.
    std::weak_ptr<MessageTarget*> Token() const { return token_; }

private:
    std::shared_ptr<MessageTarget*> token_;
};

// The program's one message loop, on the GUI thread.
class MessageQueue {
public:
    virtual ~MessageQueue() = default;

    // Queues a message; it runs later, when pending messages are processed.
    virtual void Post(MessageTarget& target, const Message& message) = 0;
    // Runs the target's handler now and returns when it is done.
    virtual void Send(MessageTarget& target, const Message& message) { target.HandleMessage(message); }
    // Lets every pending message (and window event) run.
    virtual void ProcessMessages() = 0;
    // Waits until at least one message or event is there and handles it.
    virtual void WaitAndHandleMessage() = 0;
    // The program is ending: loops that wait for windows must stop.
    virtual bool Terminating() = 0;
};

// A queue without a window system: posted messages run when ProcessMessages is called.
class SimpleMessageQueue : public MessageQueue {
public:
    void Post(MessageTarget& target, const Message& message) override;
    void ProcessMessages() override;
    void WaitAndHandleMessage() override;
    bool Terminating() override { return terminating_; }
    void SetTerminating(bool terminating) { terminating_ = terminating; }
    std::size_t Pending() const { return queue_.size(); }

private:
    struct Entry {
        std::weak_ptr<MessageTarget*> target;
        Message message;
    };
    std::deque<Entry> queue_;
    bool terminating_ = false;
};

}  // namespace quillon
