#pragma once
// The window-message queue both backends keep: messages come out in the order they were posted, one
// per peek, and a peek on an empty queue answers Message::None without waiting.

#include <deque>

#include "platform/platform.h"

namespace varnholt::platform {

class MessageQueue {
 public:
  void post(Message message) {
    if (message != Message::None) messages_.push_back(message);
  }
  Message take() {
    if (messages_.empty()) return Message::None;
    const Message front = messages_.front();
    messages_.pop_front();
    return front;
  }
  bool contains(Message message) const {
    for (const Message m : messages_) {
      if (m == message) return true;
    }
    return false;
  }
  bool empty() const { return messages_.empty(); }

 private:
  std::deque<Message> messages_;
};

}  // namespace varnholt::platform
