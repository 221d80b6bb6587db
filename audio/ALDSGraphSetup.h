// The graph set-up that the capture and output components share.
#pragma once

#include "directshow/DSGraphProperty.h"
#include "platform/classlib/Exceptions.h"
#include "platform/media/Media.h"

// Makes the capture graph builder once, builds a fresh graph with the
// additional filters and joins the builder to it; then, when a device was
// chosen, AddDevice binds and adds the device's filter and says whether that
// worked. A failure the graph owner raises on the way frees the filters
// (FreeFilters) and counts as a failed set-up; a builder that cannot be made
// is reported before any of that, outside it.
template <class AddDevice, class FreeFilters>
bool ALDSInitGraphFilters(TDSGraph &Graph, com::TComPtr<media::ICaptureGraphBuilder2> &Builder,
                          bool HasDevice, AddDevice &&addDevice, FreeFilters &&freeFilters) {
  freeFilters();
  if (!Builder) {
    const HRESULT hr =
        media::CoCreateInstance(media::CLSID_CaptureGraphBuilder2, nullptr,
                                com::CLSCTX_INPROC_SERVER | com::CLSCTX_INPROC_HANDLER,
                                media::ICaptureGraphBuilder2::IID, Builder.PutVoid());
    if (FAILED(hr)) {
      Graph.Error("Can't build DirectShow graph builder.", hr);
      return false;
    }
  }
  try {
    if (!Graph.CreateGraph())
      return false;
    Graph.RegisterAdditionalFilters();
    const HRESULT hr = Builder->SetFiltergraph(Graph.Graph.Get());
    if (FAILED(hr))
      Graph.Error("Can't build DirectShow graph builder.", hr);
    return !HasDevice || addDevice();
  } catch (const Exception &) {
    freeFilters();
    return false;
  }
}
