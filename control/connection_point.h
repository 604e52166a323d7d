// One connection point of a control: the sinks advised for one outgoing
// interface. It lives inside its container and shares its reference count.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "framework/handles.h"

namespace tavinst {

class ConnectionPoint : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* container, const IID& iid)
        : container_(container), iid_(iid) {}
    ~ConnectionPoint();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container_->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;

    const IID& iid() const { return iid_; }
    // The sinks at this moment, each with a reference, so that a sink may
    // unadvise while it is being called.
    std::vector<fw::ComPtr<IUnknown>> Sinks() const;

private:
    IConnectionPointContainer* container_;
    IID iid_;
    DWORD nextCookie_ = 1;
    std::vector<CONNECTDATA> sinks_;
};

// Enumerators over a copy of connection points or connections.
HRESULT CreateConnectionPointEnum(const std::vector<IConnectionPoint*>& points,
                                  IEnumConnectionPoints** out);
HRESULT CreateConnectionEnum(const std::vector<CONNECTDATA>& connections, IEnumConnections** out);

}  // namespace tavinst
