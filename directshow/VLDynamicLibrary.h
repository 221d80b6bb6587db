// Run-time loading of an optional shared library and its exports, for the
// units that must start on systems where a library is missing. A library is
// loaded by name with every export resolved into a cell; a library that
// fails its success condition is unloaded again at once.
//
// Threads: each library object is loaded and unloaded by its unit's
// initialisation, finalisation or first wrapper call; the calls lock the
// object, so wrappers may run on any thread.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class TVLDynamicLibrary {
public:
  // exports: names in cell order (a name may appear twice: the unsuffixed
  // name of a function bound to one of its two forms).
  TVLDynamicLibrary(std::string fileName, std::vector<std::string> exports);
  ~TVLDynamicLibrary();
  TVLDynamicLibrary(const TVLDynamicLibrary &) = delete;
  TVLDynamicLibrary &operator=(const TVLDynamicLibrary &) = delete;

  // Loads the library when it is not loaded and resolves every cell; when
  // success (given the resolved cells) is false, unloads again. Answers
  // whether the library is loaded afterwards.
  template <class Success> bool Load(Success success) {
    std::lock_guard lock(m_);
    if (handle_ != nullptr)
      return true;
    if (!Open())
      return false;
    if (!success(*this))
      Close();
    return handle_ != nullptr;
  }
  // When loaded: frees the library, clears every cell and the handle and
  // answers whether freeing succeeded; when not loaded: true.
  bool Unload();
  bool Loaded() const;
  // The resolved address of cell i (null when not resolved or not loaded).
  void *Cell(size_t i) const;
  bool AllResolved() const;
  const std::string &FileName() const { return fileName_; }

private:
  bool Open();
  bool Close();

  const std::string fileName_;
  const std::vector<std::string> exports_;
  mutable std::recursive_mutex m_;
  void *handle_ = nullptr;
  std::vector<void *> cells_;
};
