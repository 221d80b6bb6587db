#include "audio/ALProgressGate.h"

#include <utility>

TALProgressGate::TALProgressGate(std::function<bool()> Post, TClock::duration Period)
    : post_(std::move(Post)), period_(Period) {}

bool TALProgressGate::PostLocked() {
  waiting_ = false;
  inFlight_ = post_();
  lastPost_ = TClock::now();
  return inFlight_;
}

void TALProgressGate::Changed() {
  std::lock_guard<std::mutex> lock(m_);
  if (inFlight_)
    return;
  if (TClock::now() - lastPost_ >= period_)
    PostLocked();
  else
    waiting_ = true;
}

void TALProgressGate::Close() {
  std::lock_guard<std::mutex> lock(m_);
  if (waiting_ && !inFlight_)
    PostLocked();
}

void TALProgressGate::Arrived() {
  std::lock_guard<std::mutex> lock(m_);
  inFlight_ = false;
}
