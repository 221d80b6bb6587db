#include "platform/classlib/Dialogs.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace {

std::mutex handlerLock;
TShowMessageHandler &Handler() {
  static TShowMessageHandler handler;
  return handler;
}

} // namespace

void ShowMessage(const std::string &text) {
  TShowMessageHandler handler;
  {
    std::lock_guard lock(handlerLock);
    handler = Handler();
  }
  if (handler) {
    handler(text);
    return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}

TShowMessageHandler SetShowMessageHandler(TShowMessageHandler handler) {
  std::lock_guard lock(handlerLock);
  return std::exchange(Handler(), std::move(handler));
}
