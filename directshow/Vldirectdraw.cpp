#include "directshow/Vldirectdraw.h"

#include <atomic>

#include "directshow/VLDynamicLibrary.h"

namespace {

struct TDDError {
  int32_t Code;
  const char *Text;
};

// The drawing library's result codes: success, the general codes it returns, then its own.
constexpr TDDError kErrors[] = {
    {static_cast<int32_t>(0x00000000u), "The request completed successfully."},
    {static_cast<int32_t>(0x80004001u), "Action not supported."},
    {static_cast<int32_t>(0x80004005u), "Generic failure."},
    {static_cast<int32_t>(0x80070057u),
     "One or more of the parameters passed to the method are incorrect."},
    {static_cast<int32_t>(0x8007000Eu),
     "DirectDraw does not have enough memory to perform the operation."},
    {static_cast<int32_t>(0x80004002u), "The requested COM interface is not available."},
    {static_cast<int32_t>(0x800401F0u), "The object has not been initialized."},
    {static_cast<int32_t>(0x80040110u), "The object does not support aggregation."},
    {static_cast<int32_t>(0x80004003u), "A required pointer was not supplied."},
    {MAKE_DDHRESULT(5), "This object is already initialized."},
    {MAKE_DDHRESULT(10), "This surface can not be attached to the requested surface."},
    {MAKE_DDHRESULT(20), "This surface can not be detached from the requested surface."},
    {MAKE_DDHRESULT(40), "Support is currently not available."},
    {MAKE_DDHRESULT(55), "An exception was encountered while performing the requested operation."},
    {MAKE_DDHRESULT(90), "Height of rectangle provided is not a multiple of required alignment."},
    {MAKE_DDHRESULT(95),
     "Unable to match primary surface creation request with existing primary surface."},
    {MAKE_DDHRESULT(100), "One or more of the caps bits passed to the callback are incorrect."},
    {MAKE_DDHRESULT(110), "DirectDraw does not support the provided cliplist."},
    {MAKE_DDHRESULT(120), "DirectDraw does not support the requested mode."},
    {MAKE_DDHRESULT(130), "DirectDraw received a pointer that was an invalid DIRECTDRAW object."},
    {MAKE_DDHRESULT(145), "The pixel format is not valid."},
    {MAKE_DDHRESULT(150), "Rectangle provided was invalid."},
    {MAKE_DDHRESULT(160),
     "Operation could not be carried out because one or more surfaces are locked."},
    {MAKE_DDHRESULT(170), "There is no 3D present."},
    {MAKE_DDHRESULT(180), "Operation could not be carried out because there is no alpha "
                          "accleration hardware present or available."},
    {MAKE_DDHRESULT(181), "The display hardware does not support stereo."},
    {MAKE_DDHRESULT(182), "The surface has no free slot left."},
    {MAKE_DDHRESULT(205), "No clip list available."},
    {MAKE_DDHRESULT(210), "Operation could not be carried out because there is no color conversion "
                          "hardware present or available."},
    {MAKE_DDHRESULT(212),
     "Create function called without DirectDraw object method SetCooperativeLevel being called."},
    {MAKE_DDHRESULT(215), "Surface doesn't currently have a color key."},
    {MAKE_DDHRESULT(220), "Operation could not be carried out because there is no hardware support "
                          "of the destination color key."},
    {MAKE_DDHRESULT(222), "No DirectDraw support possible with current display driver."},
    {MAKE_DDHRESULT(225), "Operation requires the application to have exclusive mode but the "
                          "application does not have exclusive mode."},
    {MAKE_DDHRESULT(230), "Flipping visible surfaces is not supported."},
    {MAKE_DDHRESULT(240), "There is no GDI present."},
    {MAKE_DDHRESULT(250),
     "Operation could not be carried out because there is no hardware present or available."},
    {MAKE_DDHRESULT(255), "Requested item was not found."},
    {MAKE_DDHRESULT(260), "Operation could not be carried out because there is no overlay hardware "
                          "present or available."},
    {MAKE_DDHRESULT(270), "Operation could not be carried out because the source and destination "
                          "rectangles are on the same surface and overlap each other."},
    {MAKE_DDHRESULT(280), "Operation could not be carried out because there is no appropriate "
                          "raster op hardware present or available."},
    {MAKE_DDHRESULT(290), "Operation could not be carried out because there is no rotation "
                          "hardware present or available."},
    {MAKE_DDHRESULT(310),
     "Operation could not be carried out because there is no hardware support for stretching."},
    {MAKE_DDHRESULT(316), "DirectDrawSurface is not in 4 bit color palette and the requested "
                          "operation requires 4 bit color palette."},
    {MAKE_DDHRESULT(317), "DirectDrawSurface is not in 4 bit color index palette and the requested "
                          "operation requires 4 bit color index palette."},
    {MAKE_DDHRESULT(320), "DirectDraw Surface is not in 8 bit color mode and the requested "
                          "operation requires 8 bit color."},
    {MAKE_DDHRESULT(330), "Operation could not be carried out because there is no texture mapping "
                          "hardware present or available."},
    {MAKE_DDHRESULT(335), "Operation could not be carried out because there is no hardware support "
                          "for vertical blank synchronized operations."},
    {MAKE_DDHRESULT(340), "Operation could not be carried out because there is no hardware support "
                          "for zbuffer blitting."},
    {MAKE_DDHRESULT(350), "Overlay surfaces could not be z layered based on their BltOrder because "
                          "the hardware does not support z layering of overlays."},
    {MAKE_DDHRESULT(360),
     "The hardware needed for the requested operation has already been allocated."},
    {MAKE_DDHRESULT(380), "DirectDraw does not have enough memory to perform the operation."},
    {MAKE_DDHRESULT(382), "The hardware does not support clipped overlays."},
    {MAKE_DDHRESULT(384), "Can only have ony color key active at one time for overlays."},
    {MAKE_DDHRESULT(387), "Access to this palette is being refused because the palette is already "
                          "locked by another thread."},
    {MAKE_DDHRESULT(400), "No src color key specified for this operation."},
    {MAKE_DDHRESULT(410),
     "This surface is already attached to the surface it is being attached to."},
    {MAKE_DDHRESULT(420),
     "This surface is already a dependency of the surface it is being made a dependency of."},
    {MAKE_DDHRESULT(430), "Access to this surface is being refused because the surface is already "
                          "locked by another thread."},
    {MAKE_DDHRESULT(435), "Access to this surface is being refused because no driver exists which "
                          "can supply a pointer to the surface."},
    {MAKE_DDHRESULT(440), "Access to Surface refused because Surface is obscured."},
    {MAKE_DDHRESULT(450), "Access to this surface is being refused because the surface is gone."},
    {MAKE_DDHRESULT(460), "The requested surface is not attached."},
    {MAKE_DDHRESULT(470), "Height requested by DirectDraw is too large."},
    {MAKE_DDHRESULT(480), "Size requested by DirectDraw is too large."},
    {MAKE_DDHRESULT(490), "Width requested by DirectDraw is too large."},
    {MAKE_DDHRESULT(510), "FOURCC format requested is unsupported by DirectDraw."},
    {MAKE_DDHRESULT(520), "Bitmask in the pixel format requested is unsupported by DirectDraw."},
    {MAKE_DDHRESULT(521), "The specified stream contains invalid data."},
    {MAKE_DDHRESULT(537), "Vertical blank is in progress."},
    {MAKE_DDHRESULT(540), "Informs DirectDraw that the previous Blt which is transfering "
                          "information to or from this Surface is incomplete."},
    {MAKE_DDHRESULT(542), "This surface type requires the COMPLEX flag."},
    {MAKE_DDHRESULT(560), "Rectangle provided was not horizontally aligned on required boundary."},
    {MAKE_DDHRESULT(561),
     "The GUID passed to DirectDrawCreate is not a valid DirectDraw driver identifier."},
    {MAKE_DDHRESULT(562),
     "A DirectDraw object representing this driver has already been created for this process."},
    {MAKE_DDHRESULT(563), "A hardware only DirectDraw object creation was attempted but the driver "
                          "did not support any hardware."},
    {MAKE_DDHRESULT(564), "This process already has created a primary surface."},
    {MAKE_DDHRESULT(565), "Software emulation not available."},
    {MAKE_DDHRESULT(566), "Region passed to Clipper::GetClipList is too small."},
    {MAKE_DDHRESULT(567), "An attempt was made to set a cliplist for a clipper object that is "
                          "already monitoring an hwnd."},
    {MAKE_DDHRESULT(568), "No clipper object attached to surface object."},
    {MAKE_DDHRESULT(569), "Clipper notification requires an HWND or no HWND has previously been "
                          "set as the CooperativeLevel HWND."},
    {MAKE_DDHRESULT(570), "HWND used by DirectDraw CooperativeLevel has been subclassed, this "
                          "prevents DirectDraw from restoring state."},
    {MAKE_DDHRESULT(571), "The CooperativeLevel HWND has already been set. It can not be reset "
                          "while the process has surfaces or palettes created."},
    {MAKE_DDHRESULT(572), "No palette object attached to this surface."},
    {MAKE_DDHRESULT(573), "No hardware support for 16 or 256 color palettes."},
    {MAKE_DDHRESULT(574),
     "If a clipper object is attached to the source surface passed into a BltFast call."},
    {MAKE_DDHRESULT(575), "No blter."},
    {MAKE_DDHRESULT(576), "No DirectDraw ROP hardware."},
    {MAKE_DDHRESULT(577), "Returned when GetOverlayPosition is called on a hidden overlay."},
    {MAKE_DDHRESULT(578), "Returned when GetOverlayPosition is called on a overlay that "
                          "UpdateOverlay has never been called on to establish a destionation."},
    {MAKE_DDHRESULT(579), "Returned when the position of the overlay on the destionation is no "
                          "longer legal for that destionation."},
    {MAKE_DDHRESULT(580), "Returned when an overlay member is called for a non-overlay surface."},
    {MAKE_DDHRESULT(581),
     "An attempt was made to set the cooperative level when it was already set to exclusive."},
    {MAKE_DDHRESULT(582), "An attempt has been made to flip a surface that is not flippable."},
    {MAKE_DDHRESULT(583),
     "Can't duplicate primary & 3D surfaces, or surfaces that are implicitly created."},
    {MAKE_DDHRESULT(584), "Surface was not locked. An attempt to unlock a surface that was not "
                          "locked at all, or by this process, has been attempted."},
    {MAKE_DDHRESULT(585),
     "No more device contexts can be created, or one was asked for a palette-indexed surface "
     "without a palette in a display mode that is not palette-indexed."},
    {MAKE_DDHRESULT(586), "No DC was ever created for this surface."},
    {MAKE_DDHRESULT(587),
     "This surface can not be restored because it was created in a different mode."},
    {MAKE_DDHRESULT(588),
     "This surface can not be restored because it is an implicitly created surface."},
    {MAKE_DDHRESULT(589), "The surface being used is not a palette-based surface."},
    {MAKE_DDHRESULT(590), "The display is currently in an unsupported mode."},
    {MAKE_DDHRESULT(591), "Operation could not be carried out because there is no mip-map texture "
                          "mapping hardware present or available."},
    {MAKE_DDHRESULT(592),
     "The requested action could not be performed because the surface was of the wrong type."},
    {MAKE_DDHRESULT(600),
     "Device does not support optimized surfaces, therefore no video memory optimized surfaces."},
    {MAKE_DDHRESULT(601),
     "Surface is an optimized surface, but has not yet been allocated any memory."},
    {MAKE_DDHRESULT(602),
     "Attempt was made to create or set a device window without first setting the focus window."},
    {MAKE_DDHRESULT(603), "Attempt was made to set a palette on a mipmap sublevel."},
};
static_assert(sizeof(kErrors) / sizeof(kErrors[0]) == 109);

TVLDynamicLibrary &Library() {
  static TVLDynamicLibrary library(
      "ddraw.dll", {"DirectDrawEnumerateA", "DirectDrawEnumerateW", "DirectDrawEnumerateA",
                    "DirectDrawEnumerateExA", "DirectDrawEnumerateExW", "DirectDrawEnumerateExA",
                    "DirectDrawCreate", "DirectDrawCreateEx", "DirectDrawCreateClipper"});
  return library;
}

std::atomic<int> initCount{0};

} // namespace

bool LoadDirectDraw() {
  return Library().Load([](TVLDynamicLibrary &l) { return l.Cell(ddDirectDrawCreate) != nullptr; });
}
bool UnLoadDirectDraw() { return Library().Unload(); }
bool DirectDrawLoaded() { return Library().Loaded(); }
void *DirectDrawCell(TVLDirectDrawCell cell) { return Library().Cell(cell); }

void VldirectdrawInitialization() {
  if (initCount.fetch_add(1) == 0)
    LoadDirectDraw();
}
void VldirectdrawFinalization() {
  if (initCount.fetch_sub(1) == 1)
    UnLoadDirectDraw();
}

std::string DDErrorString(int32_t result) {
  for (const TDDError &e : kErrors)
    if (e.Code == result)
      return e.Text;
  return "Unrecognized Error";
}
