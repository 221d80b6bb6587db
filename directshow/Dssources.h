// Selectable sources of a capture device (and targets of a render device):
// inputs reached through crossbar filters (TVLDSCrossbarSource, switched by
// routing every crossbar on the path) and input pins that offer the audio
// input mixer (TVLDSMixerSource, switched by enabling the pin), gathered in
// TDSSwitches.
//
// Threads: the components fill and switch sources on the main thread while
// their graph is built; nothing here locks. Sources hold references on the
// crossbars and pins of the graph that built them until ClearPaths.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/Persistent.h"
#include "platform/media/Interfaces.h"

class TVLDSCrossbarRoutings;

// The name of a physical connector type ("Audio Line", "Video Tuner", ...);
// "Unknown" for any other value.
std::string DSPhysicalConnectorName(media::LONG type);

class TVLDSCaptureSource {
public:
  explicit TVLDSCaptureSource(TVLDSCrossbarRoutings *list) : list_(list) {}
  virtual ~TVLDSCaptureSource() = default;
  TVLDSCaptureSource(const TVLDSCaptureSource &) = delete;
  TVLDSCaptureSource &operator=(const TVLDSCaptureSource &) = delete;

  virtual std::string GetName() = 0;
  virtual bool GetEnabled() = 0;
  virtual void SetEnabled(bool on) = 0;
  TVLDSCrossbarRoutings *List() const { return list_; }

protected:
  TVLDSCrossbarRoutings *const list_;
};

// Owning list of sources with the LinkRelated flag (true at creation).
class TVLDSCrossbarRoutings {
public:
  int Count() const { return static_cast<int>(items_.size()); }
  TVLDSCaptureSource *Items(int index) const;
  void Add(std::unique_ptr<TVLDSCaptureSource> source) { items_.push_back(std::move(source)); }
  void Clear() { items_.clear(); }
  bool LinkRelated = true;

private:
  std::vector<std::unique_ptr<TVLDSCaptureSource>> items_;
};

class TVLDSMixerSource final : public TVLDSCaptureSource {
public:
  // Queries the pin's IAMAudioInputMixer (none: reads as disabled, ignores
  // switching).
  TVLDSMixerSource(TVLDSCrossbarRoutings *list, com::TComPtr<media::IPin> pin);
  // The pin's name, or "Unknown pin".
  std::string GetName() override;
  bool GetEnabled() override;
  void SetEnabled(bool on) override;

private:
  com::TComPtr<media::IPin> pin_;
  com::TComPtr<media::IAMAudioInputMixer> mixer_;
};

// One route through one crossbar.
class TDSCrossbarRoutingNode {
public:
  TDSCrossbarRoutingNode(media::LONG input, media::LONG output, media::LONG relatedInput,
                         media::LONG relatedOutput, com::TComPtr<media::IAMCrossbar> crossbar,
                         media::LONG inputType, media::LONG outputType);
  bool IsRouted();
  // Routes the pair and, when both related indices are set, the related pair
  // too (whatever linkRelated says).
  bool Route(bool linkRelated);

  media::LONG InputIndex, OutputIndex, RelatedInputIndex, RelatedOutputIndex;
  com::TComPtr<media::IAMCrossbar> Crossbar;
  media::LONG InputType, OutputType;
};

// The routes of one crossbar source, in path order from the crossbar nearest
// the device outward.
using TVLDSCrossbarRoutingNodes = std::vector<std::unique_ptr<TDSCrossbarRoutingNode>>;

class TVLDSCrossbarSource final : public TVLDSCaptureSource {
public:
  explicit TVLDSCrossbarSource(TVLDSCrossbarRoutings *list) : TVLDSCaptureSource(list) {}
  void Add(std::unique_ptr<TDSCrossbarRoutingNode> node) { nodes_.push_back(std::move(node)); }
  media::LONG GetInputType() const;
  std::string GetName() override;
  // Every node routed (true without nodes).
  bool GetEnabled() override;
  // Only switching on does something: a crossbar source is replaced by
  // routing another, never switched off.
  void SetEnabled(bool on) override;

private:
  TVLDSCrossbarRoutingNodes nodes_;
};

class TDSSwitches {
public:
  // audio: audio connectors (type 4096 and above) rather than video ones.
  // listCallback runs (Sender = this) before every read of Count and Items.
  TDSSwitches(TPersistent *owner, bool audio, std::function<void(TDSSwitches *)> listCallback);

  void ClearPaths() { sources_.Clear(); }
  // Appends one crossbar source per selectable input reachable from pin.
  HRESULT Rebuild(media::IPin *pin, bool downstream);
  int GetCount();
  TVLDSCaptureSource *GetItem(int index);
  // kept: public member of the switches
  bool GetLinkRelated() const { return sources_.LinkRelated; }
  void SetLinkRelated(bool value) { sources_.LinkRelated = value; }
  // The list itself, for components that add mixer sources.
  TVLDSCrossbarRoutings &Sources() { return sources_; }

private:
  HRESULT Walk(com::TComPtr<media::IPin> pin, bool downstream, int depth,
               TVLDSCrossbarSource *&current);

  TPersistent *const owner_;
  TVLDSCrossbarRoutings sources_;
  const bool audio_;
  std::function<void(TDSSwitches *)> listCallback_;
};

HRESULT GetCrossbarIPinAtIndex(media::IAMCrossbar *crossbar, media::LONG index, bool input,
                               media::IPin **pin);
HRESULT GetCrossbarIndexFromIPin(media::IAMCrossbar *crossbar, media::LONG *index, bool input,
                                 media::IPin *pin);
