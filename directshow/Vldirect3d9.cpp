#include "directshow/Vldirect3d9.h"

#include <atomic>

#include "directshow/VLDynamicLibrary.h"

namespace {

TVLDynamicLibrary &Library() {
  static TVLDynamicLibrary library("d3d9.dll", {"Direct3DCreate9"});
  return library;
}

std::atomic<int> initCount{0};

} // namespace

bool LoadDirect3D9() {
  return Library().Load([](TVLDynamicLibrary &l) { return l.Cell(0) != nullptr; });
}
bool UnLoadDirect3D9() { return Library().Unload(); }
bool Direct3D9Loaded() { return Library().Loaded(); }

com::TComPtr<IDirect3D9> Direct3DCreate9(uint32_t sdkVersion) {
  using TCreate = IDirect3D9 *(*)(uint32_t);
  auto create = reinterpret_cast<TCreate>(Library().Cell(0));
  if (create == nullptr)
    return nullptr;
  return com::TComPtr<IDirect3D9>::Attach(create(sdkVersion));
}

void Vldirect3d9Initialization() {
  if (initCount.fetch_add(1) == 0)
    LoadDirect3D9();
}
void Vldirect3d9Finalization() {
  if (initCount.fetch_sub(1) == 1)
    UnLoadDirect3D9();
}
