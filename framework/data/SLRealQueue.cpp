#include "framework/data/SLRealQueue.h"

#include "platform/classlib/Exceptions.h"

double TSLRealQueue::GetItem(int Index) const {
  if (Index < 0 || Index >= GetCount())
    throw EListError::IndexOutOfBounds(Index);
  return values_[static_cast<size_t>(Index)];
}

void TSLRealQueue::Remove() {
  if (values_.empty())
    throw EListError::IndexOutOfBounds(0);
  values_.pop_front();
}
