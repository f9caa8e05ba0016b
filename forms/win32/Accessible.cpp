// What a screen reader reads of a control on Win32: the system's own object for it, with the
// name its row gives where the system's rule (its caption, or the label before it in z-order)
// cannot say it, its tooltip as its description, and its kind's role; a link can be followed.
#include <oleacc.h>

#include "forms/Guard.h"
#include "forms/Rules.h"
#include "forms/win32/NativeForm.h"

namespace forms {

namespace {

LONG RoleOf(Role role) {
    switch (role) {
        case Role::Label:
            return ROLE_SYSTEM_STATICTEXT;
        case Role::Text:
            return ROLE_SYSTEM_TEXT;
        case Role::Button:
            return ROLE_SYSTEM_PUSHBUTTON;
        case Role::Option:
            return ROLE_SYSTEM_RADIOBUTTON;
        case Role::Group:
            return ROLE_SYSTEM_GROUPING;
        case Role::Link:
            return ROLE_SYSTEM_LINK;
    }
    return ROLE_SYSTEM_CLIENT;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT Text(std::u16string_view text, BSTR* out) {
    *out = text.empty() ? nullptr : SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                                      UINT(text.size()));
    return *out ? S_OK : S_FALSE;
}

// Everything but name, description and role is the system's.
class Reading final : public IAccessible {
  public:
    Reading(IAccessible* system, const NativeControl& control)
        : system_(system), name_(control.design->accessibleName), tip_(control.tip),
          role_(RoleOf(BehaviourOf(control.kind).role)), hwnd_(control.hwnd), id_(control.id) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return system_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            system_->Release();
            delete this;
        }
        return ULONG(left);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child) || name_.empty()) return system_->get_accName(child, name);
        return Text(name_, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (!IsSelf(child)) return system_->get_accDescription(child, description);
        return Text(tip_, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return system_->get_accRole(child, role);
        role->vt = VT_I4;
        role->lVal = role_;
        return S_OK;
    }

    // A link is followed as by a click.
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT got = system_->get_accState(child, state);
        if (IsSelf(child) && role_ == ROLE_SYSTEM_LINK && state->vt == VT_I4)
            state->lVal |= STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE;
        return got;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!IsSelf(child) || role_ != ROLE_SYSTEM_LINK)
            return system_->get_accDefaultAction(child, action);
        return Text(u"ジャンプ", action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child) || role_ != ROLE_SYSTEM_LINK) return system_->accDoDefaultAction(child);
        if (!IsWindow(hwnd_)) return E_FAIL;
        PostMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(id_, STN_CLICKED), LPARAM(hwnd_));
        return S_OK;
    }

    // clang-format off
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return system_->GetTypeInfoCount(n); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override { return system_->GetTypeInfo(i, l, t); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override { return system_->GetIDsOfNames(r, n, c, l, d); }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e, UINT* a) override { return system_->Invoke(d, r, l, f, p, v, e, a); }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override { return system_->get_accParent(p); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* n) override { return system_->get_accChildCount(n); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override { return system_->get_accChild(c, p); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* v) override { return system_->get_accValue(c, v); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* h) override { return system_->get_accHelp(c, h); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, LONG* t) override { return system_->get_accHelpTopic(f, c, t); }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* k) override { return system_->get_accKeyboardShortcut(c, k); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* c) override { return system_->get_accFocus(c); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* c) override { return system_->get_accSelection(c); }
    HRESULT STDMETHODCALLTYPE accSelect(LONG f, VARIANT c) override { return system_->accSelect(f, c); }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT c) override { return system_->accLocation(x, y, w, h, c); }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG d, VARIANT s, VARIANT* e) override { return system_->accNavigate(d, s, e); }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* c) override { return system_->accHitTest(x, y, c); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR n) override { return system_->put_accName(c, n); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR v) override { return system_->put_accValue(c, v); }
    // clang-format on

  private:
    ~Reading() = default;

    IAccessible* system_;
    std::u16string name_, tip_;
    LONG role_;
    HWND hwnd_;
    int id_;
    LONG references_ = 1;
};

LRESULT Answer(HWND hwnd, WPARAM wParam, const NativeControl& control) {
    IAccessible* system = nullptr;
    if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&system))))
        return 0;
    auto* reading = new Reading(system, control);
    const LRESULT answer = LresultFromObject(__uuidof(IAccessible), wParam, reading);
    reading->Release();
    return answer;
}

LRESULT CALLBACK ReadingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) {
    if (message == WM_GETOBJECT && LONG(lParam) == OBJID_CLIENT) {
        const auto& control = *reinterpret_cast<const NativeControl*>(data);
        if (const LRESULT answer = Guarded(LRESULT(0), [&] { return Answer(hwnd, wParam, control); }))
            return answer;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ReadingProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void MakeReadable(const NativeControl& control) {
    SetWindowSubclass(control.hwnd, ReadingProc, 0, reinterpret_cast<DWORD_PTR>(&control));
}

}  // namespace forms
