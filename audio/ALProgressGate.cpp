#include "audio/ALProgressGate.h"

#include <utility>

TALProgressGate::TALProgressGate(TPost Post, TClock::duration Period)
    : post_(std::move(Post)), period_(Period) {}

bool TALProgressGate::PostLocked(bool Later) {
  waiting_ = false;
  inFlight_ = post_(Later);
  lastPost_ = TClock::now();
  return inFlight_;
}

void TALProgressGate::Changed() {
  std::lock_guard<std::mutex> lock(m_);
  if (inFlight_)
    return;
  if (TClock::now() - lastPost_ >= period_)
    PostLocked(true);
  else
    waiting_ = true;
}

void TALProgressGate::Close() {
  std::lock_guard<std::mutex> lock(m_);
  if (waiting_ && !inFlight_)
    PostLocked(false);
}

void TALProgressGate::Arrived() {
  std::lock_guard<std::mutex> lock(m_);
  inFlight_ = false;
}
