#include "platform/media/Internal.h"

namespace media::detail {

using com::E_INVALIDARG;
using com::E_POINTER;
using com::S_FALSE;
using com::S_OK;

TEnumMediaTypesSnapshot::TEnumMediaTypesSnapshot(std::vector<AM_MEDIA_TYPE> types, size_t pos)
    : pos_(pos) {
  for (const AM_MEDIA_TYPE &t : types) {
    AM_MEDIA_TYPE copy{};
    if (SUCCEEDED(CopyMediaType(&copy, &t)))
      types_.push_back(copy);
  }
}

TEnumMediaTypesSnapshot::~TEnumMediaTypesSnapshot() {
  for (AM_MEDIA_TYPE &t : types_)
    FreeMediaType(t);
}

HRESULT TEnumMediaTypesSnapshot::QueryInterface(const TGUID &iid, void **out) {
  return com::QueryInterfaceFor<IEnumMediaTypes>(this, iid, out);
}

HRESULT TEnumMediaTypesSnapshot::Next(ULONG count, AM_MEDIA_TYPE **types, ULONG *fetched) {
  if (types == nullptr)
    return E_POINTER;
  if (fetched == nullptr && count > 1)
    return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(m_);
  ULONG n = 0;
  while (n < count && pos_ < types_.size()) {
    types[n] = CreateMediaType(&types_[pos_]);
    if (types[n] == nullptr)
      break;
    ++pos_;
    ++n;
  }
  if (fetched)
    *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT TEnumMediaTypesSnapshot::Skip(ULONG count) {
  std::lock_guard<std::mutex> lock(m_);
  if (pos_ + count > types_.size()) {
    pos_ = types_.size();
    return S_FALSE;
  }
  pos_ += count;
  return S_OK;
}

HRESULT TEnumMediaTypesSnapshot::Reset() {
  std::lock_guard<std::mutex> lock(m_);
  pos_ = 0;
  return S_OK;
}

HRESULT TEnumMediaTypesSnapshot::Clone(IEnumMediaTypes **clone) {
  if (clone == nullptr)
    return E_POINTER;
  std::lock_guard<std::mutex> lock(m_);
  *clone = com::MakeCom<TEnumMediaTypesSnapshot>(types_, pos_).Detach();
  return S_OK;
}

} // namespace media::detail
