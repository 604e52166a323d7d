#include "control/connection_point.h"

#include <olectl.h>

#include "control/module.h"

namespace tavinst {

namespace {

// A plain enumerator over copied items; AddRefs interface items it hands out.
template <typename Enum, typename Item, const IID* EnumIid>
class Enumerator final : public Enum {
public:
    explicit Enumerator(const std::vector<Item>& items) : items_(items)
    {
        for (Item& item : items_)
            Hold(item);
        ModuleAddRef();
    }
    ~Enumerator()
    {
        for (Item& item : items_)
            Drop(item);
        ModuleRelease();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, *EnumIid)) {
            *out = static_cast<Enum*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override
    {
        if (out == nullptr || (count > 1 && fetched == nullptr))
            return E_POINTER;
        ULONG n = 0;
        while (n < count && at_ < items_.size()) {
            out[n] = items_[at_++];
            Hold(out[n]);
            ++n;
        }
        if (fetched != nullptr)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        const size_t left = items_.size() - at_;
        at_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        at_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum** out) override
    {
        if (out == nullptr)
            return E_POINTER;
        auto* copy = new Enumerator(items_);
        copy->at_ = at_;
        *out = copy;
        return S_OK;
    }

private:
    static void Hold(IConnectionPoint* p) { p->AddRef(); }
    static void Drop(IConnectionPoint* p) { p->Release(); }
    static void Hold(CONNECTDATA& d) { d.pUnk->AddRef(); }
    static void Drop(CONNECTDATA& d) { d.pUnk->Release(); }

    LONG refs_ = 1;
    std::vector<Item> items_;
    size_t at_ = 0;
};

}  // namespace

HRESULT CreateConnectionPointEnum(const std::vector<IConnectionPoint*>& points,
                                  IEnumConnectionPoints** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = new Enumerator<IEnumConnectionPoints, IConnectionPoint*, &IID_IEnumConnectionPoints>(points);
    return S_OK;
}

HRESULT CreateConnectionEnum(const std::vector<CONNECTDATA>& connections, IEnumConnections** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = new Enumerator<IEnumConnections, CONNECTDATA, &IID_IEnumConnections>(connections);
    return S_OK;
}

ConnectionPoint::~ConnectionPoint()
{
    for (CONNECTDATA& d : sinks_)
        d.pUnk->Release();
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out)
{
    if (out == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (iid == nullptr)
        return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = container_;
    container_->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (cookie == nullptr)
        return E_POINTER;
    *cookie = 0;
    if (sink == nullptr)
        return E_POINTER;
    IUnknown* held = nullptr;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&held))) || held == nullptr)
        return CONNECT_E_CANNOTCONNECT;
    CONNECTDATA data = {held, nextCookie_++};
    sinks_.push_back(data);
    *cookie = data.dwCookie;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie)
{
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->dwCookie == cookie) {
            IUnknown* sink = it->pUnk;
            sinks_.erase(it);
            sink->Release();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out)
{
    return CreateConnectionEnum(sinks_, out);
}

std::vector<fw::ComPtr<IUnknown>> ConnectionPoint::Sinks() const
{
    std::vector<fw::ComPtr<IUnknown>> result;
    for (const CONNECTDATA& d : sinks_)
        result.emplace_back(d.pUnk);
    return result;
}

}  // namespace tavinst
