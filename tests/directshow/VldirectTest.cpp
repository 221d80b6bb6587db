#include <gtest/gtest.h>

#include "directshow/Vldirect3d9.h"
#include "directshow/Vldirectdraw.h"
#include "directshow/Vldirectshow.h"
#include "directshow/Vldirectsound.h"

namespace {

TEST(OptionalLibrariesTest, MissingLibrariesLeaveTheProgramRunningWithNothingLoaded) {
  VldirectsoundInitialization();
  Vldirect3d9Initialization();
  VldirectdrawInitialization();
  VldirectshowInitialization();
  EXPECT_FALSE(DirectSoundLoaded());
  EXPECT_FALSE(Direct3D9Loaded());
  EXPECT_FALSE(DirectDrawLoaded());
  EXPECT_FALSE(LoadDirectSound()); // a later call tries again and fails again
  EXPECT_EQ(DirectSoundCell(dsDirectSoundCreate), nullptr);
  EXPECT_EQ(DirectDrawCell(ddDirectDrawCreate), nullptr);
  EXPECT_FALSE(Direct3DCreate9(32));
  EXPECT_TRUE(UnLoadDirectSound());

  EXPECT_EQ(QzInitialize(nullptr), E_FAIL);
  EXPECT_EQ(QzTaskMemAlloc(16), nullptr);
  com::IUnknown *malloc = reinterpret_cast<com::IUnknown *>(1);
  EXPECT_EQ(QzGetMalloc(1, &malloc), E_FAIL);
  EXPECT_EQ(malloc, nullptr);
  AM_MEDIA_TYPE mt;
  mt.cbFormat = 99;
  EXPECT_EQ(MoCopyMediaType(&mt, &mt), E_FAIL);
  EXPECT_EQ(mt.cbFormat, 0u); // the target is cleared first
  EXPECT_EQ(DMOEnum(GUID_NULL, 0, 0, nullptr, 0, nullptr, &malloc), E_FAIL);
  EXPECT_EQ(KsGetMediaTypeCount(nullptr, 0, nullptr), E_FAIL);
  EXPECT_EQ(AMGetErrorText(E_FAIL, nullptr, 0), 0u);
  EXPECT_FALSE(QzLoaded() || QuartzLoaded() || MsDmoLoaded() || KsUserLoaded() || KsProxyLoaded());

  VldirectshowFinalization();
  VldirectdrawFinalization();
  Vldirect3d9Finalization();
  VldirectsoundFinalization();
}

TEST(OptionalLibrariesTest, HeaderMacrosComputeTheirValues) {
  EXPECT_EQ(DSSPEAKER_COMBINED(4, 5), 0x00050004u);
  EXPECT_EQ(DSSPEAKER_CONFIG(0x00050004u), 4u);
  EXPECT_EQ(DSSPEAKER_GEOMETRY(0x00050004u), 5u);
  EXPECT_EQ(static_cast<uint32_t>(MAKE_DSHRESULT(10)), 0x8878000Au);
  EXPECT_EQ(D3DCOLOR_ARGB(255, 1, 2, 3), 0xFF010203u);
  EXPECT_EQ(D3DCOLOR_RGBA(1, 2, 3, 4), 0x04010203u);
  EXPECT_EQ(D3DCOLOR_XRGB(1, 2, 3), 0xFF010203u);
  EXPECT_EQ(D3DCOLOR_COLORVALUE(1.0f, 0.5f, 0.0f, 1.0f), 0xFFFF8000u); // 127.5 rounds to even
  EXPECT_EQ(D3DTS_WORLDMATRIX(3), 259u);
  EXPECT_EQ(D3DPS_VERSION(2, 0), 0xFFFF0200u);
  EXPECT_EQ(D3DVS_VERSION(3, 1), 0xFFFE0301u);
  EXPECT_EQ(D3DSHADER_VERSION_MAJOR(0xFFFE0301u), 3u);
  EXPECT_EQ(D3DSHADER_VERSION_MINOR(0xFFFE0301u), 1u);
  EXPECT_EQ(D3DSHADER_COMMENT(2), 0x0002FFFEu);
  EXPECT_EQ(D3DFVF_TEXCOORDSIZE1(0), 0x30000u);
  EXPECT_EQ(D3DFVF_TEXCOORDSIZE3(1), 0x40000u);
  EXPECT_EQ(MAKEFOURCC('D', 'X', 'T', '1'), 0x31545844u);
  EXPECT_EQ(vldirectdraw::MAKEFOURCC('D', 'X', 'T', '1'), 0x31545844u);
  EXPECT_EQ(static_cast<uint32_t>(MAKE_D3DHRESULT(2)), 0x88760002u);
  EXPECT_EQ(static_cast<uint32_t>(MAKE_D3DSTATUS(2)), 0x08760002u);
  EXPECT_EQ(GET_WHQL_YEAR(0x07D30A1Bu), 2003u);
  EXPECT_EQ(GET_WHQL_MONTH(0x07D30A1Bu), 10u);
  EXPECT_EQ(GET_WHQL_DAY(0x07D30A1Bu), 27u);
}

TEST(OptionalLibrariesTest, DrawingResultCodesHaveDescriptions) {
  EXPECT_EQ(DDErrorString(0), "The request completed successfully.");
  EXPECT_EQ(DDErrorString(static_cast<int32_t>(0x80004001u)), "Action not supported.");
  EXPECT_EQ(DDErrorString(static_cast<int32_t>(0x80004005u)), "Generic failure.");
  EXPECT_EQ(DDErrorString(12345), "Unrecognized Error");
  EXPECT_NE(DDErrorString(MAKE_DDHRESULT(450)), "Unrecognized Error");
}

} // namespace
