#include "directshow/VLDynamicLibrary.h"

#include <dlfcn.h>

TVLDynamicLibrary::TVLDynamicLibrary(std::string fileName, std::vector<std::string> exports)
    : fileName_(std::move(fileName)), exports_(std::move(exports)),
      cells_(exports_.size(), nullptr) {}

TVLDynamicLibrary::~TVLDynamicLibrary() { Unload(); }

bool TVLDynamicLibrary::Open() {
  handle_ = dlopen(fileName_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr)
    return false;
  for (size_t i = 0; i < exports_.size(); ++i)
    cells_[i] = dlsym(handle_, exports_[i].c_str());
  return true;
}

bool TVLDynamicLibrary::Close() {
  bool freed = dlclose(handle_) == 0;
  handle_ = nullptr;
  for (void *&cell : cells_)
    cell = nullptr;
  return freed;
}

bool TVLDynamicLibrary::Unload() {
  std::lock_guard lock(m_);
  if (handle_ == nullptr)
    return true;
  return Close();
}

bool TVLDynamicLibrary::Loaded() const {
  std::lock_guard lock(m_);
  return handle_ != nullptr;
}

void *TVLDynamicLibrary::Cell(size_t i) const {
  std::lock_guard lock(m_);
  return i < cells_.size() ? cells_[i] : nullptr;
}

bool TVLDynamicLibrary::AllResolved() const {
  std::lock_guard lock(m_);
  if (handle_ == nullptr)
    return false;
  for (void *cell : cells_)
    if (cell == nullptr)
      return false;
  return true;
}
