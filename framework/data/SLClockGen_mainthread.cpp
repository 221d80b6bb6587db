// Main-thread hand-over of the unit SLClockGen: the notifiers, their one hidden
// window, and the slot gate of the buffer queue.
#include "framework/data/SLClockGen.h"

#include <map>

namespace {

// The hidden window and the live notifiers. Created with the first live
// notifier and destroyed with the last; the node pointer, the count and the
// list change only under the global write lock.
class TSLMainWindowNode {
public:
  TSLMainWindowNode() {
    previousProc_ = window_.SetWindowProc(nullptr);
    window_.SetWindowProc([previous = previousProc_](const mainloop::TMessage &message) {
      if (message.Msg == SLMainThreadNotifyMessage)
        HandOver(message.WParam);
      else
        previous(message);
    });
  }
  ~TSLMainWindowNode() { window_.SetWindowProc(previousProc_); }
  TSLMainWindowNode(const TSLMainWindowNode &) = delete;
  TSLMainWindowNode &operator=(const TSLMainWindowNode &) = delete;

  mainloop::THiddenWindow &Window() { return window_; }
  std::map<uint64_t, TSLMainThreadNotify *> &Notifiers() { return notifiers_; }

private:
  static void HandOver(uint64_t notifierId);

  mainloop::THiddenWindow window_;
  mainloop::TWndProc previousProc_;
  // Ordered by id, which is registration order.
  std::map<uint64_t, TSLMainThreadNotify *> notifiers_;
};

std::unique_ptr<TSLMainWindowNode> node;
int32_t notifierCount = 0;
std::atomic<uint64_t> nextNotifierId{1};

// Only the 64-bit id travels in the message, so a message for a notifier that
// is gone (even one whose memory was reused) finds nothing.
void TSLMainWindowNode::HandOver(uint64_t notifierId) {
  TOWGlobalReadSection global;
  if (!node)
    return;
  auto it = node->notifiers_.find(notifierId);
  if (it != node->notifiers_.end())
    it->second->SyncNotify();
}

} // namespace

// ---- notifier ----------------------------------------------------------------

TSLMainThreadNotify::TSLMainThreadNotify(TCallback Callback) : id_(nextNotifierId++) {
  TOWGlobalWriteSection global;
  if (notifierCount == 0)
    node = std::make_unique<TSLMainWindowNode>();
  node->Notifiers().emplace(id_, this);
  ++notifierCount;
  window_ = &node->Window();
  callback_ = std::move(Callback);
}

TSLMainThreadNotify::~TSLMainThreadNotify() {
  std::unique_ptr<TSLMainWindowNode> last;
  {
    TOWGlobalWriteSection global;
    callback_ = nullptr;
    --notifierCount;
    node->Notifiers().erase(id_);
    if (notifierCount == 0)
      last = std::move(node);
  }
  // The window goes with the node, and with it every message still queued.
  // Destroyed after the section: the window's removal takes no framework lock.
  last.reset();
}

bool TSLMainThreadNotify::Notify() {
  return window_->PostMessage(SLMainThreadNotifyMessage, id_, 0);
}

bool TSLMainThreadNotify::NotifyLater() {
  return window_->PostMessageLater(SLMainThreadNotifyMessage, id_, 0, mainloop::DisplayDelay);
}

void TSLMainThreadNotify::SyncNotify() {
  // Called through a copy: a callback may destroy its own notifier, which
  // clears callback_, and must not lose what it captured while it runs.
  if (const TCallback callback = callback_)
    callback(this);
}

mainloop::TTargetId SLMainWindowHandle() {
  TOWGlobalReadSection global;
  return node ? node->Window().Handle() : 0;
}

// ---- buffer queue slots ------------------------------------------------------

bool TSLMainThreadSlots::Enter() {
  {
    std::lock_guard<std::mutex> lock(m_);
    if (closed_)
      return false;
    ++inside_;
  }
  if (slots_.Wait())
    return true;
  Leave();
  return false;
}

bool TSLMainThreadSlots::TryEnter() {
  {
    std::lock_guard<std::mutex> lock(m_);
    if (closed_)
      return false;
    ++inside_;
  }
  if (slots_.TryWait())
    return true;
  Leave();
  return false;
}

void TSLMainThreadSlots::Leave() {
  std::lock_guard<std::mutex> lock(m_);
  --inside_;
  left_.notify_all();
}

void TSLMainThreadSlots::Close() {
  {
    std::lock_guard<std::mutex> lock(m_);
    closed_ = true;
  }
  slots_.Close();
  std::unique_lock<std::mutex> lock(m_);
  left_.wait(lock, [this] { return inside_ == 0; });
}
