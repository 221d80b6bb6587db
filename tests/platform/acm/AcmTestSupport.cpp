#include "tests/platform/acm/AcmTestSupport.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace acmtest {

TConversion ConvertChunks(HACMSTREAM s, const TBytes &data, const std::vector<size_t> &chunks,
                          bool end, bool start) {
  TConversion r;
  size_t at = 0, turn = 0;
  bool first = start;
  TBytes src;
  do {
    const size_t n = std::min(chunks[turn++ % chunks.size()], data.size() - at);
    const bool last = at + n == data.size();
    src.assign(data.begin() + ptrdiff_t(at), data.begin() + ptrdiff_t(at + n));
    uint32_t size = 0;
    r.Result = acmStreamSize(s, uint32_t(n), &size, ACM_STREAMSIZEF_SOURCE);
    if (r.Result != MMSYSERR_NOERROR)
      return r;
    TBytes dst(size + 1);
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof h;
    h.pbSrc = src.data();
    h.cbSrcLength = uint32_t(n);
    h.pbDst = dst.data();
    h.cbDstLength = size;
    r.Result = acmStreamPrepareHeader(s, &h, 0);
    if (r.Result != MMSYSERR_NOERROR)
      return r;
    uint32_t flags = ACM_STREAMCONVERTF_BLOCKALIGN;
    if (first)
      flags |= ACM_STREAMCONVERTF_START;
    if (last && end)
      flags |= ACM_STREAMCONVERTF_END;
    first = false;
    r.Result = acmStreamConvert(s, &h, flags);
    if (r.Result != MMSYSERR_NOERROR)
      return r;
    EXPECT_EQ(h.cbSrcLengthUsed, n) << "every source byte is taken or held";
    EXPECT_LE(h.cbDstLengthUsed, size) << "the size query is an upper bound";
    r.Out.insert(r.Out.end(), dst.begin(), dst.begin() + h.cbDstLengthUsed);
    r.Result = acmStreamUnprepareHeader(s, &h, 0);
    if (r.Result != MMSYSERR_NOERROR)
      return r;
    at += n;
  } while (at < data.size());
  return r;
}

TConversion ConvertAll(const TBytes &from, const TBytes &to, const TBytes &data, size_t chunk,
                       bool end) {
  HACMSTREAM s = nullptr;
  TConversion r;
  r.Result =
      acmStreamOpen(&s, nullptr, Wfx(from), Wfx(to), nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
  if (r.Result != MMSYSERR_NOERROR)
    return r;
  r = ConvertChunks(s, data, {chunk}, end);
  EXPECT_EQ(acmStreamClose(s, 0), MMSYSERR_NOERROR);
  return r;
}

namespace {
uint32_t Le32(const TBytes &b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}
void Put32(TBytes &b, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b.push_back(uint8_t(v >> (8 * i)));
}
void PutTag(TBytes &b, const char *tag) {
  for (int i = 0; i < 4; ++i)
    b.push_back(uint8_t(tag[i]));
}
} // namespace

TRiff ParseRiff(const TBytes &file) {
  TRiff r;
  if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
      std::memcmp(file.data() + 8, "WAVE", 4) != 0)
    return r;
  size_t at = 12;
  bool fmt = false, data = false;
  while (at + 8 <= file.size()) {
    const uint32_t size = Le32(file, at + 4);
    const size_t body = at + 8;
    const size_t end = std::min(file.size(), body + size);
    if (std::memcmp(file.data() + at, "fmt ", 4) == 0) {
      r.Fmt.assign(file.begin() + ptrdiff_t(body), file.begin() + ptrdiff_t(end));
      fmt = true;
    } else if (std::memcmp(file.data() + at, "data", 4) == 0) {
      r.Data.assign(file.begin() + ptrdiff_t(body), file.begin() + ptrdiff_t(end));
      data = true;
    }
    at = body + size + (size & 1);
  }
  r.Ok = fmt && data;
  return r;
}

TBytes MakeRiff(const TBytes &fmt, uint32_t frames, const TBytes &data) {
  TBytes b;
  PutTag(b, "RIFF");
  Put32(b, 0);
  PutTag(b, "WAVE");
  PutTag(b, "fmt ");
  Put32(b, uint32_t(fmt.size()));
  b.insert(b.end(), fmt.begin(), fmt.end());
  if (fmt.size() & 1)
    b.push_back(0);
  PutTag(b, "fact");
  Put32(b, 4);
  Put32(b, frames);
  PutTag(b, "data");
  Put32(b, uint32_t(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  if (data.size() & 1)
    b.push_back(0);
  const uint32_t riff = uint32_t(b.size() - 8);
  for (int i = 0; i < 4; ++i)
    b[4 + i] = uint8_t(riff >> (8 * i));
  return b;
}

} // namespace acmtest
