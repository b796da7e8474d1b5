#include "com/connection_points.h"

#include <atomic>

#include <olectl.h>

namespace zx::com {
namespace {

// Enumerates the container's one connection point.
class SinglePointEnumerator final : public IEnumConnectionPoints {
 public:
  explicit SinglePointEnumerator(IConnectionPoint& point, ULONG position = 0) : point_(point), position_(position) {
    point_.AddRef();
  }
  ~SinglePointEnumerator() { point_.Release(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumConnectionPoints)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<IEnumConnectionPoints*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** points, ULONG* fetched) override {
    if (!points || (count > 1 && !fetched)) return E_POINTER;
    ULONG given = 0;
    if (count > 0 && position_ == 0) {
      point_.AddRef();
      points[0] = &point_;
      given = 1;
      position_ = 1;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    if (count == 0) return S_OK;
    bool had = position_ == 0;
    position_ = 1;
    return had && count == 1 ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copy) override {
    if (!copy) return E_POINTER;
    *copy = new SinglePointEnumerator(point_, position_);
    return S_OK;
  }

 private:
  std::atomic<ULONG> references_{1};
  IConnectionPoint& point_;
  ULONG position_;
};

}  // namespace

HRESULT EventConnectionPoint::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  *object = static_cast<IConnectionPoint*>(this);
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  container_.AddRef();
  *container = &container_;
  return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  // The sink must speak the event interface (or plain IDispatch, as script hosts offer it).
  IUnknown* events = nullptr;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&events))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&events))))
    return CONNECT_E_CANNOTCONNECT;
  *cookie = nextCookie_++;
  sinks_[*cookie] = events;
  return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
  auto it = sinks_.find(cookie);
  if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
  it->second->Release();
  sinks_.erase(it);
  return S_OK;
}

void EventConnectionPoint::releaseSinks() {
  for (auto& [cookie, sink] : sinks_) sink->Release();
  sinks_.clear();
}

HRESULT EventConnections::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (!points) return E_POINTER;
  *points = new SinglePointEnumerator(point_);
  return S_OK;
}

HRESULT EventConnections::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  IID events;
  point_.GetConnectionInterface(&events);
  if (!IsEqualIID(iid, events)) return CONNECT_E_NOCONNECTION;
  point_.AddRef();
  *point = &point_;
  return S_OK;
}

}  // namespace zx::com
