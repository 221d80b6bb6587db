// Stream-type negotiation along pass-through chains (data-type dependencies).
// Without such dependencies every rule here reduces to the pin's own types and
// interfaces, and the renegotiation re-checks the new link's source only.
#include "framework/pins/OWPins.h"

#include "framework/pins/OWPins_internal.h"

namespace {

// The first non-zero answer of fn over the pins, else 0.
template <class Pins, class Fn> HRESULT FirstFailure(const Pins &pins, Fn fn) {
  for (auto *p : pins) {
    const HRESULT hr = fn(p);
    if (hr != S_OK)
      return hr;
  }
  return S_OK;
}

HRESULT PlainAnswer(TOWBasicPin *pin, const TGUID &iid) {
  void *out = nullptr;
  return pin->QueryInterface(iid, &out);
}

} // namespace

// ---------------------------------------------------------------------------
// Candidate lists

void TOWPin::OrderStreamTypes(TOWPinTypeRestricted *list) {
  if (list->Ordered)
    return;
  TOWReadSection own(this);
  int i = 0;
  for (int t = 0; t < types_.GetLength(); ++t) {
    const int j = list->IndexOf(types_.GetID(t));
    if (j < 0)
      continue;
    if (i != j)
      list->SwapPosition(i, j);
    ++i;
  }
  list->Ordered = true;
}

void TOWStreamPin::FillOwnTypes(TOWPinTypeRestricted *list) {
  TOWReadSection own(this);
  for (int i = 0; i < types_.GetLength(); ++i)
    list->AddType(types_.GetID(i), types_.GetSubmitFunc(i));
}

void TOWStreamPin::KeepOwnTypes(TOWPinTypeRestricted *list) {
  TOWReadSection own(this);
  for (int i = 0; i < list->GetLength();)
    if (types_.Contains(list->GetID(i)))
      ++i;
    else
      list->Delete(i);
}

void TOWStreamPin::KeepAcceptedTypes(TOWPinTypeRestricted *list) {
  TOWReadSection own(this);
  for (int i = 0; i < list->GetLength();)
    if (RequestInterfaceOnly(list->GetID(i)) == S_OK)
      ++i;
    else
      list->Delete(i);
}

// Source side ---------------------------------------------------------------

void TOWSourcePin::DownStreamFillPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                     TOWStreamPin *origin) {
  FillOwnTypes(list);
  for (TOWSinkPin *d : std::vector<TOWSinkPin *>(dataTypeDependencies_.items_))
    d->DownStreamBackRestrictPossibleStreamTypes(list, origin);
}

void TOWSourcePin::UpStreamFillPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                   TOWStreamPin *origin) {
  FillOwnTypes(list);
  for (TOWSinkPin *d : std::vector<TOWSinkPin *>(dataTypeDependencies_.items_))
    d->UpStreamBackRestrictPossibleStreamTypes(list, origin);
}

void TOWSourcePin::DownStreamBackRestrictPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                             TOWStreamPin *origin) {
  TOWReadSection own(this);
  if (origin == this) {
    for (TOWSinkPin *s : LinkedSinkPins())
      s->DownStreamForthRestrictPossibleStreamTypes(list, origin);
  } else if (dataTypeDependencies_.items_.empty()) {
    OrderStreamTypes(list);
    DownStreamForthRestrictPossibleStreamTypes(list, origin);
  } else {
    for (TOWSinkPin *d : std::vector<TOWSinkPin *>(dataTypeDependencies_.items_))
      d->DownStreamBackRestrictPossibleStreamTypes(list, origin);
  }
}

void TOWSourcePin::UpStreamBackRestrictPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                           TOWStreamPin *origin) {
  TOWReadSection own(this);
  if (origin == this) {
    for (TOWSinkPin *s : LinkedSinkPins())
      s->UpStreamForthRestrictPossibleStreamTypes(list, origin);
  } else if (dataTypeDependencies_.items_.empty()) {
    UpStreamForthRestrictPossibleStreamTypes(list, origin);
  } else {
    for (TOWSinkPin *d : std::vector<TOWSinkPin *>(dataTypeDependencies_.items_))
      d->UpStreamBackRestrictPossibleStreamTypes(list, origin);
  }
}

void TOWSourcePin::DownStreamForthRestrictPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                              TOWStreamPin *origin) {
  if (origin == this)
    return;
  KeepOwnTypes(list);
  for (TOWSinkPin *s : LinkedSinkPins())
    s->DownStreamForthRestrictPossibleStreamTypes(list, origin);
}

void TOWSourcePin::UpStreamForthRestrictPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                            TOWStreamPin *origin) {
  if (origin == this)
    return;
  KeepAcceptedTypes(list);
  for (TOWSinkPin *s : LinkedSinkPins())
    s->UpStreamForthRestrictPossibleStreamTypes(list, origin);
}

// Sink side -----------------------------------------------------------------

void TOWSinkPin::DownStreamFillPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                   TOWStreamPin *origin) {
  FillOwnTypes(list);
  for (TOWSourcePin *d : std::vector<TOWSourcePin *>(dataTypeBack_))
    d->DownStreamForthRestrictPossibleStreamTypes(list, origin);
}

void TOWSinkPin::UpStreamFillPossibleStreamTypes(TOWPinTypeRestricted *list, TOWStreamPin *origin) {
  FillOwnTypes(list);
  if (HasToIgnoreUpstream())
    return;
  for (TOWSourcePin *d : std::vector<TOWSourcePin *>(dataTypeBack_))
    d->UpStreamForthRestrictPossibleStreamTypes(list, origin);
}

void TOWSinkPin::DownStreamBackRestrictPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                           TOWStreamPin *origin) {
  TOWReadSection own(this);
  if (origin == this) {
    for (TOWSourcePin *d : std::vector<TOWSourcePin *>(dataTypeBack_))
      d->DownStreamForthRestrictPossibleStreamTypes(list, origin);
  } else if (TOWSourcePin *s = RealSource()) {
    s->DownStreamBackRestrictPossibleStreamTypes(list, origin);
  } else {
    OrderStreamTypes(list);
    DownStreamForthRestrictPossibleStreamTypes(list, origin);
  }
}

void TOWSinkPin::UpStreamBackRestrictPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                         TOWStreamPin *origin) {
  TOWReadSection own(this);
  if (origin == this) {
    for (TOWSourcePin *d : std::vector<TOWSourcePin *>(dataTypeBack_))
      d->UpStreamForthRestrictPossibleStreamTypes(list, origin);
  } else if (HasToIgnoreUpstream()) {
    return;
  } else if (TOWSourcePin *s = RealSource()) {
    s->UpStreamBackRestrictPossibleStreamTypes(list, origin);
  } else {
    UpStreamForthRestrictPossibleStreamTypes(list, origin);
  }
}

void TOWSinkPin::DownStreamForthRestrictPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                            TOWStreamPin *origin) {
  if (origin == this)
    return;
  KeepAcceptedTypes(list);
  for (TOWSourcePin *d : std::vector<TOWSourcePin *>(dataTypeBack_))
    d->DownStreamForthRestrictPossibleStreamTypes(list, origin);
}

void TOWSinkPin::UpStreamForthRestrictPossibleStreamTypes(TOWPinTypeRestricted *list,
                                                          TOWStreamPin *origin) {
  if (origin == this || HasToIgnoreUpstream())
    return;
  KeepOwnTypes(list);
  for (TOWSourcePin *d : std::vector<TOWSourcePin *>(dataTypeBack_))
    d->UpStreamForthRestrictPossibleStreamTypes(list, origin);
}

// ---------------------------------------------------------------------------
// Acceptance along a chain

HRESULT TOWSourcePin::DownStreamQueryPossybleInterface(const TGUID &iid) {
  return FirstFailure(std::vector<TOWSinkPin *>(dataTypeDependencies_.items_), [&](TOWSinkPin *d) {
    return d->DownStreamForthQueryPossybleInterface(iid, this);
  });
}

HRESULT TOWSourcePin::UpStreamQueryPossybleInterface(const TGUID &iid) {
  return FirstFailure(std::vector<TOWSinkPin *>(dataTypeDependencies_.items_), [&](TOWSinkPin *d) {
    return d->UpStreamForthQueryPossybleInterface(iid, this);
  });
}

HRESULT TOWSourcePin::DownStreamBackQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin) {
  if (origin == this)
    return FirstFailure(LinkedSinkPins(), [&](TOWSinkPin *s) {
      return s->DownStreamForthQueryPossybleInterface(iid, origin);
    });
  if (dataTypeDependencies_.items_.empty())
    return DownStreamForthQueryPossybleInterface(iid, origin);
  return FirstFailure(std::vector<TOWSinkPin *>(dataTypeDependencies_.items_), [&](TOWSinkPin *d) {
    return d->DownStreamBackQueryPossybleInterface(iid, origin);
  });
}

HRESULT TOWSourcePin::UpStreamBackQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin) {
  if (origin == this)
    return FirstFailure(LinkedSinkPins(), [&](TOWSinkPin *s) {
      return s->UpStreamForthQueryPossybleInterface(iid, origin);
    });
  if (dataTypeDependencies_.items_.empty())
    return UpStreamForthQueryPossybleInterface(iid, origin);
  return FirstFailure(std::vector<TOWSinkPin *>(dataTypeDependencies_.items_), [&](TOWSinkPin *d) {
    return d->UpStreamBackQueryPossybleInterface(iid, origin);
  });
}

HRESULT TOWSourcePin::DownStreamForthQueryPossybleInterface(const TGUID &iid,
                                                            TOWStreamPin *origin) {
  if (origin == this)
    return S_OK;
  {
    TOWReadSection own(this);
    if (!types_.Contains(iid))
      return E_NOINTERFACE;
  }
  return FirstFailure(LinkedSinkPins(), [&](TOWSinkPin *s) {
    return s->DownStreamForthQueryPossybleInterface(iid, origin);
  });
}

HRESULT TOWSourcePin::UpStreamForthQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin) {
  if (origin == this)
    return S_OK;
  const HRESULT hr = PlainAnswer(this, iid);
  if (hr != S_OK)
    return hr;
  return FirstFailure(LinkedSinkPins(), [&](TOWSinkPin *s) {
    return s->UpStreamForthQueryPossybleInterface(iid, origin);
  });
}

HRESULT TOWSinkPin::DownStreamQueryPossybleInterface(const TGUID &iid) {
  return FirstFailure(std::vector<TOWSourcePin *>(dataTypeBack_), [&](TOWSourcePin *d) {
    return d->DownStreamBackQueryPossybleInterface(iid, this);
  });
}

HRESULT TOWSinkPin::UpStreamQueryPossybleInterface(const TGUID &iid) {
  return FirstFailure(std::vector<TOWSourcePin *>(dataTypeBack_), [&](TOWSourcePin *d) {
    return d->UpStreamBackQueryPossybleInterface(iid, this);
  });
}

HRESULT TOWSinkPin::DownStreamBackQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin) {
  if (origin == this)
    return FirstFailure(std::vector<TOWSourcePin *>(dataTypeBack_), [&](TOWSourcePin *d) {
      return d->DownStreamForthQueryPossybleInterface(iid, origin);
    });
  if (TOWSourcePin *s = RealSource())
    return s->DownStreamBackQueryPossybleInterface(iid, origin);
  return DownStreamForthQueryPossybleInterface(iid, origin);
}

HRESULT TOWSinkPin::UpStreamBackQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin) {
  if (origin == this)
    return FirstFailure(std::vector<TOWSourcePin *>(dataTypeBack_), [&](TOWSourcePin *d) {
      return d->UpStreamForthQueryPossybleInterface(iid, origin);
    });
  if (TOWSourcePin *s = RealSource())
    return s->UpStreamBackQueryPossybleInterface(iid, origin);
  return UpStreamForthQueryPossybleInterface(iid, origin);
}

HRESULT TOWSinkPin::DownStreamForthQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin) {
  if (origin == this)
    return S_OK;
  const HRESULT hr = PlainAnswer(this, iid);
  if (hr != S_OK)
    return hr;
  return FirstFailure(std::vector<TOWSourcePin *>(dataTypeBack_), [&](TOWSourcePin *d) {
    return d->DownStreamForthQueryPossybleInterface(iid, origin);
  });
}

HRESULT TOWSinkPin::UpStreamForthQueryPossybleInterface(const TGUID &iid, TOWStreamPin *origin) {
  if (origin == this)
    return S_OK;
  {
    TOWReadSection own(this);
    if (!types_.Contains(iid))
      return E_NOINTERFACE;
  }
  return FirstFailure(std::vector<TOWSourcePin *>(dataTypeBack_), [&](TOWSourcePin *d) {
    return d->UpStreamForthQueryPossybleInterface(iid, origin);
  });
}

// ---------------------------------------------------------------------------
// Renegotiation after a new link

void TOWSinkPin::ChainReconnect(const TGUID &downstreamType, const TGUID &upstreamType) {
  BackChainReconnect(downstreamType, upstreamType);
}

void TOWSinkPin::BackChainReconnect(const TGUID &downstreamType, const TGUID &upstreamType) {
  TOWWriteSection own(this);
  if (TOWSourcePin *s = RealSource())
    s->BackChainReconnect(downstreamType, upstreamType);
  else
    ForthChainReconnect(downstreamType, upstreamType);
}

void TOWSourcePin::BackChainReconnect(const TGUID &downstreamType, const TGUID &upstreamType) {
  TOWWriteSection own(this);
  const std::vector<TOWSinkPin *> deps(dataTypeDependencies_.items_);
  if (deps.empty())
    ForthChainReconnect(downstreamType, upstreamType);
  for (TOWSinkPin *d : deps)
    d->BackChainReconnect(downstreamType, upstreamType);
}

void TOWSourcePin::ForthChainReconnect(const TGUID &downstreamType, const TGUID &upstreamType) {
  TOWWriteSection own(this);
  const int count = entries_.Count();
  for (int i = 0; i < count && i < entries_.Count(); ++i) {
    ChangeConnectionType(i, downstreamType);
    if (i < entries_.Count())
      if (TOWSinkPin *s = OWAsSink(entries_.GetItem(i)->Sink))
        s->ForthChainReconnect(downstreamType, upstreamType);
  }
}

void TOWSinkPin::ForthChainReconnect(const TGUID &downstreamType, const TGUID &upstreamType) {
  TOWWriteSection own(this);
  if (TOWSourcePin *s = RealSource()) {
    upstreamType_ = UpStreamFindConnectionID(s, s->GetConnectionID(this));
    handler_ = GetSubmitFunctionID(upstreamType_);
  }
  for (TOWSourcePin *d : std::vector<TOWSourcePin *>(dataTypeBack_))
    d->ForthChainReconnect(downstreamType, upstreamType);
}

void TOWSourcePin::ChangeConnectionType(int index, const TGUID &type) {
  TOWWriteSection own(this);
  TOWPinEntry *e = entries_.GetItem(index);
  if (e->DownStreamType == type)
    return;
  e->DownStreamType = DownStreamFindConnectionID(e->Sink);
  e->Handler = GetSubmitFunctionID(e->DownStreamType);
  NewConnection(e->Sink, TOWSubmit(e->Handler));
}
