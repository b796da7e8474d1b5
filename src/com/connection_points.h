#pragma once
// The control's event interface as a container sees it: one connection point, for the
// dispatch event interface, which takes sinks but has no event to send them.
#include <map>

#include "platform/win32/system_headers.h"
#include <ocidl.h>

namespace zx::com {

class EventConnections;

class EventConnectionPoint final : public IConnectionPoint {
 public:
  EventConnectionPoint(IConnectionPointContainer& container, const IID& iid) : container_(container), iid_(iid) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  // The point lives as long as its container: its references are the container's.
  ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  void releaseSinks();

 private:
  IConnectionPointContainer& container_;
  IID iid_;
  std::map<DWORD, IUnknown*> sinks_;
  DWORD nextCookie_ = 1;
};

// IConnectionPointContainer of an object whose identity and references are `outer`'s.
class EventConnections final : public IConnectionPointContainer {
 public:
  EventConnections(IUnknown& outer, const IID& eventInterface) : outer_(outer), point_(*this, eventInterface) {}
  ~EventConnections() { point_.releaseSinks(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return outer_.QueryInterface(iid, object); }
  ULONG STDMETHODCALLTYPE AddRef() override { return outer_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return outer_.Release(); }

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

 private:
  IUnknown& outer_;
  EventConnectionPoint point_;
};

}  // namespace zx::com
