#include "toolkit/Accessible.h"

#include "toolkit/IxFrm.h"
#include "toolkit/ModalWnd.h"
#include "toolkit/ToolkitMessages.h"

#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <utility>

namespace {

constexpr LONG kWindowElement = TAccessibleContent::kWindowElement;

// Windows' COM and accessibility functions. A terminal that no tool reads never loads their
// libraries: they are loaded when a tool first asks, from the system folder only, and kept, as
// the objects a tool holds need them after the plug-in is freed.
struct OleRuntime {
    decltype(&CoInitializeEx) coInitializeEx = nullptr;
    decltype(&CoUninitialize) coUninitialize = nullptr;
    decltype(&CoDisconnectObject) coDisconnectObject = nullptr;
    decltype(&SysAllocStringLen) sysAllocStringLen = nullptr;
    decltype(&LresultFromObject) lresultFromObject = nullptr;
    decltype(&AccessibleObjectFromWindow) accessibleObjectFromWindow = nullptr;

    bool Loaded() const {
        return coInitializeEx && coUninitialize && coDisconnectObject && sysAllocStringLen &&
               lresultFromObject && accessibleObjectFromWindow;
    }
};

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const UINT nLength = GetSystemDirectoryW(path, MAX_PATH);
    if (nLength == 0 || nLength + 1 + std::wcslen(name) >= MAX_PATH) {
        return nullptr;
    }
    return LoadLibraryW((std::wstring(path, nLength) + L"\\" + name).c_str());
}

template <typename Fn> void Bind(HMODULE module, const char* name, Fn& fn) {
    // Through the one function pointer type that converts to any other without a warning.
    fn = module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

const OleRuntime& Ole() {
    static const OleRuntime runtime = [] {
        OleRuntime ole;
        const HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
        const HMODULE oleaut32 = LoadSystemLibrary(L"oleaut32.dll");
        const HMODULE oleacc = LoadSystemLibrary(L"oleacc.dll");
        Bind(ole32, "CoInitializeEx", ole.coInitializeEx);
        Bind(ole32, "CoUninitialize", ole.coUninitialize);
        Bind(ole32, "CoDisconnectObject", ole.coDisconnectObject);
        Bind(oleaut32, "SysAllocStringLen", ole.sysAllocStringLen);
        Bind(oleacc, "LresultFromObject", ole.lresultFromObject);
        Bind(oleacc, "AccessibleObjectFromWindow", ole.accessibleObjectFromWindow);
        return ole;
    }();
    return runtime;
}

// An object handed to a tool lives in the window thread's apartment, and calls reach it on that
// thread. The apartment the host set up is used as it is. A thread without one (or only in the
// process's multithreaded apartment by default) enters a single-threaded apartment here and
// stays in it for good: a tool may hold an object at any time, so no moment is safe to leave.
// A thread the host put in the multithreaded apartment gets no object of ours: calls would come
// on COM's own threads, which must not touch a window.
bool EnterApartment() {
    const HRESULT hr = Ole().coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (hr == S_FALSE) {
        // Already single-threaded: the count goes back to what it was.
        Ole().coUninitialize();
        return true;
    }
    return hr == S_OK;
}

// The content behind a window of ours; null for windows of others and ours that show none.
TAccessibleContent* ContentOf(HWND hWnd) {
    if (!hWnd ||
        GetClassLongPtrW(hWnd, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&TIxFrm::StaticWndProc)) {
        return nullptr;
    }
    return dynamic_cast<TAccessibleContent*>(TIxFrm::FromHandle(hWnd));
}

// One element of one window, as a method of an object reads it.
struct Target {
    HWND hWnd = nullptr;
    TAccessibleContent* content = nullptr;
    LONG nId = kWindowElement;
    AccElement element;
};

// An element that a window of ours stands for is that window's own element.
bool Describe(Target& target) {
    target.element = AccElement();
    if (!target.content->AccDescribe(target.nId, target.element)) {
        return false;
    }
    if (target.nId != kWindowElement && target.element.hWindow) {
        const HWND hWindow = target.element.hWindow;
        target.content = ContentOf(hWindow);
        target.hWnd = hWindow;
        target.nId = kWindowElement;
        return target.content && Describe(target);
    }
    if (target.nId == kWindowElement) {
        GetClientRect(target.hWnd, &target.element.rcClient);
        if (!IsWindowVisible(target.hWnd)) {
            target.element.nState |= STATE_SYSTEM_INVISIBLE;
        }
        if (GetFocus() == target.hWnd) {
            target.element.nState |= STATE_SYSTEM_FOCUSED;
        }
    }
    return true;
}

VARIANT SelfVariant() {
    VARIANT self = VARIANT();
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

RECT ScreenRect(const Target& target) {
    RECT rc = target.element.rcClient;
    MapWindowPoints(target.hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// A window's element and the elements with elements of their own are objects; the rest are
// read through their parent's object.
bool HasObject(const Target& target) {
    return target.nId == kWindowElement || !target.content->AccChildren(target.nId).empty();
}

class TAccObject;

// Every object that exists, across the windows of every thread.
struct ObjectRegistry {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<TAccObject*> objects;
};

ObjectRegistry& Registry() {
    static ObjectRegistry registry;
    return registry;
}

class RegistryLock {
public:
    RegistryLock() { AcquireSRWLockExclusive(&Registry().lock); }
    ~RegistryLock() { ReleaseSRWLockExclusive(&Registry().lock); }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
};

IAccessible* ObjectFor(HWND hWnd, LONG nElement);

using MaybeText = std::optional<std::wstring>;

class TAccObject final : public IAccessible {
public:
    TAccObject(HWND hWnd, LONG nElement) : m_hWnd(hWnd), m_nElement(nElement) {}
    TAccObject(const TAccObject&) = delete;
    TAccObject& operator=(const TAccObject&) = delete;

    bool Is(HWND hWnd, LONG nElement) const { return m_hWnd == hWnd && m_nElement == nElement && !m_bGone; }
    bool Of(HWND hWnd) const { return m_hWnd == hWnd; }
    void Forget() { m_bGone = true; }
    // A reference taken only while another still holds the object, which is therefore not on
    // its way out.
    bool TryAddRef() {
        for (LONG nRefs = m_nRefs; nRefs > 0; nRefs = m_nRefs) {
            if (InterlockedCompareExchange(&m_nRefs, nRefs + 1, nRefs) == nRefs) {
                return true;
            }
        }
        return false;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (riid != __uuidof(IUnknown) && riid != __uuidof(IDispatch) && riid != __uuidof(IAccessible)) {
            return E_NOINTERFACE;
        }
        AddRef();
        *ppv = static_cast<IAccessible*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_nRefs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG nRefs = InterlockedDecrement(&m_nRefs);
        if (nRefs == 0) {
            {
                RegistryLock lock;
                std::vector<TAccObject*>& objects = Registry().objects;
                objects.erase(std::remove(objects.begin(), objects.end(), this), objects.end());
            }
            delete this;
        }
        return static_cast<ULONG>(nRefs);
    }

    // Tools call IAccessible directly: there is no type information to call it through IDispatch.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {
        if (!pctinfo) {
            return E_POINTER;
        }
        *pctinfo = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** ppdispParent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* pcountChildren) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT varChild, IDispatch** ppdispChild) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT varChild, BSTR* pszName) override {
        return TextOf(varChild, pszName, [](const AccElement& e) { return NonEmpty(e.name); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT varChild, BSTR* pszValue) override {
        return TextOf(varChild, pszValue, [](const AccElement& e) { return e.value; });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT varChild, BSTR* pszDescription) override {
        return TextOf(varChild, pszDescription, [](const AccElement&) { return MaybeText(); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT varChild, VARIANT* pvarRole) override {
        return NumberOf(varChild, pvarRole, [](const AccElement& e) { return e.nRole; });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT varChild, VARIANT* pvarState) override {
        return NumberOf(varChild, pvarState, [](const AccElement& e) { return e.nState; });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT varChild, BSTR* pszHelp) override {
        return TextOf(varChild, pszHelp, [](const AccElement&) { return MaybeText(); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild, LONG* pidTopic) override {
        if (!pidTopic) {
            return E_POINTER;
        }
        *pidTopic = 0;
        return TextOf(varChild, pszHelpFile, [](const AccElement&) { return MaybeText(); });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT varChild, BSTR* pszKeyboardShortcut) override {
        return TextOf(varChild, pszKeyboardShortcut, [](const AccElement&) { return MaybeText(); });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* pvarChild) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* pvarChildren) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) override {
        return TextOf(varChild, pszDefaultAction,
                      [](const AccElement& e) { return NonEmpty(e.defaultAction); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* pxLeft, LONG* pyTop, LONG* pcxWidth, LONG* pcyHeight,
                                          VARIANT varChild) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG navDir, VARIANT varStart, VARIANT* pvarEnd) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG xLeft, LONG yTop, VARIANT* pvarChild) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT varChild) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~TAccObject() = default;

    // The element a method is asked about: this object's own, or its child at a place from 1.
    HRESULT Find(const VARIANT& varChild, Target& target) const;
    // The elements inside this object's, as targets; false once the window is gone.
    bool Children(std::vector<Target>& children) const;
    // The first child for which is(child) holds, as tools take it: S_FALSE for none.
    template <typename Test> HRESULT FirstChildWhere(VARIANT* out, Test is) const;

    // An empty name or none at all is given as none.
    static MaybeText NonEmpty(const std::wstring& text) {
        return text.empty() ? std::nullopt : MaybeText(text);
    }
    // Checks and clears the out argument of a method, then finds the element it asks about.
    template <typename Out> HRESULT Start(Out* out, const VARIANT& varChild, Target& target) const {
        if (!out) {
            return E_POINTER;
        }
        *out = Out();
        return Find(varChild, target);
    }
    template <typename Get> HRESULT TextOf(const VARIANT& varChild, BSTR* out, Get get) const {
        Target target;
        const HRESULT hr = Start(out, varChild, target);
        if (FAILED(hr)) {
            return hr;
        }
        const MaybeText text = get(target.element);
        if (!text) {
            return S_FALSE;
        }
        *out = Ole().sysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    template <typename Get> HRESULT NumberOf(const VARIANT& varChild, VARIANT* out, Get get) const {
        Target target;
        const HRESULT hr = Start(out, varChild, target);
        if (FAILED(hr)) {
            return hr;
        }
        out->vt = VT_I4;
        out->lVal = get(target.element);
        return S_OK;
    }
    // A child as tools take it: its own object when it has one, else its place from 1.
    static void ChildVariant(const Target& child, LONG nPlace, VARIANT* out) {
        if (HasObject(child)) {
            out->vt = VT_DISPATCH;
            out->pdispVal = ObjectFor(child.hWnd, child.nId);
        } else {
            out->vt = VT_I4;
            out->lVal = nPlace;
        }
    }

    const HWND m_hWnd;
    const LONG m_nElement;
    LONG m_nRefs = 1;
    std::atomic<bool> m_bGone{false};
};

// A new reference to the element's object; made when there is none.
IAccessible* ObjectFor(HWND hWnd, LONG nElement) {
    RegistryLock lock;
    for (TAccObject* object : Registry().objects) {
        if (object->Is(hWnd, nElement) && object->TryAddRef()) {
            return object;
        }
    }
    auto* object = new TAccObject(hWnd, nElement);
    Registry().objects.push_back(object);
    return object;
}

HRESULT TAccObject::Find(const VARIANT& varChild, Target& target) const {
    if (varChild.vt != VT_I4) {
        return E_INVALIDARG;
    }
    target.hWnd = m_hWnd;
    target.content = m_bGone ? nullptr : ContentOf(m_hWnd);
    target.nId = m_nElement;
    if (!target.content) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (varChild.lVal == CHILDID_SELF) {
        return Describe(target) ? S_OK : CO_E_OBJNOTCONNECTED;
    }
    const std::vector<LONG> ids = target.content->AccChildren(m_nElement);
    if (varChild.lVal < 1 || static_cast<std::size_t>(varChild.lVal) > ids.size()) {
        return E_INVALIDARG;
    }
    target.nId = ids[static_cast<std::size_t>(varChild.lVal) - 1];
    return Describe(target) ? S_OK : E_INVALIDARG;
}

bool TAccObject::Children(std::vector<Target>& children) const {
    TAccessibleContent* content = m_bGone ? nullptr : ContentOf(m_hWnd);
    if (!content) {
        return false;
    }
    for (LONG nId : content->AccChildren(m_nElement)) {
        Target child;
        child.hWnd = m_hWnd;
        child.content = content;
        child.nId = nId;
        // One that cannot be described now still holds its place.
        Describe(child);
        children.push_back(child);
    }
    return true;
}

HRESULT TAccObject::get_accParent(IDispatch** ppdispParent) {
    if (!ppdispParent) {
        return E_POINTER;
    }
    *ppdispParent = nullptr;
    if (m_bGone || !ContentOf(m_hWnd)) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (m_nElement != kWindowElement) {
        *ppdispParent = ObjectFor(m_hWnd, kWindowElement);
        return S_OK;
    }
    // The nearest window of ours that shows this one among its elements; else the system's
    // object for the window's frame, as for any window.
    if (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD) {
        for (HWND hAncestor = GetParent(m_hWnd); hAncestor; hAncestor = GetParent(hAncestor)) {
            if (ContentOf(hAncestor)) {
                *ppdispParent = ObjectFor(hAncestor, kWindowElement);
                return S_OK;
            }
            if (!(GetWindowLongPtrW(hAncestor, GWL_STYLE) & WS_CHILD)) {
                break;
            }
        }
    }
    return Ole().accessibleObjectFromWindow(m_hWnd, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                            reinterpret_cast<void**>(ppdispParent));
}

HRESULT TAccObject::get_accChildCount(LONG* pcountChildren) {
    if (!pcountChildren) {
        return E_POINTER;
    }
    *pcountChildren = 0;
    TAccessibleContent* content = m_bGone ? nullptr : ContentOf(m_hWnd);
    if (!content) {
        return CO_E_OBJNOTCONNECTED;
    }
    *pcountChildren = static_cast<LONG>(content->AccChildren(m_nElement).size());
    return S_OK;
}

HRESULT TAccObject::get_accChild(VARIANT varChild, IDispatch** ppdispChild) {
    Target target;
    const HRESULT hr = Start(ppdispChild, varChild, target);
    if (FAILED(hr)) {
        return hr;
    }
    if (varChild.lVal == CHILDID_SELF) {
        AddRef();
        *ppdispChild = this;
        return S_OK;
    }
    if (!HasObject(target)) {
        return S_FALSE;
    }
    *ppdispChild = ObjectFor(target.hWnd, target.nId);
    return S_OK;
}

template <typename Test> HRESULT TAccObject::FirstChildWhere(VARIANT* out, Test is) const {
    if (!out) {
        return E_POINTER;
    }
    *out = VARIANT();
    std::vector<Target> children;
    if (!Children(children)) {
        return CO_E_OBJNOTCONNECTED;
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (is(children[i])) {
            ChildVariant(children[i], static_cast<LONG>(i + 1), out);
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT TAccObject::get_accFocus(VARIANT* pvarChild) {
    const HWND hFocus = GetFocus();
    const HRESULT hr = FirstChildWhere(pvarChild, [&](const Target& child) {
        return child.hWnd == m_hWnd ? (child.element.nState & STATE_SYSTEM_FOCUSED) != 0
                                    : hFocus == child.hWnd || IsChild(child.hWnd, hFocus);
    });
    if (hr == S_FALSE && hFocus == m_hWnd) {
        *pvarChild = SelfVariant();
        return S_OK;
    }
    return hr;
}

HRESULT TAccObject::get_accSelection(VARIANT* pvarChildren) {
    // Lists and tables of the plug-in select one element at most.
    return FirstChildWhere(pvarChildren, [](const Target& child) {
        return (child.element.nState & STATE_SYSTEM_SELECTED) != 0;
    });
}

HRESULT TAccObject::accLocation(LONG* pxLeft, LONG* pyTop, LONG* pcxWidth, LONG* pcyHeight,
                                VARIANT varChild) {
    if (!pxLeft || !pyTop || !pcxWidth || !pcyHeight) {
        return E_POINTER;
    }
    *pxLeft = *pyTop = *pcxWidth = *pcyHeight = 0;
    Target target;
    const HRESULT hr = Find(varChild, target);
    if (FAILED(hr)) {
        return hr;
    }
    const RECT rc = ScreenRect(target);
    *pxLeft = rc.left;
    *pyTop = rc.top;
    *pcxWidth = rc.right - rc.left;
    *pcyHeight = rc.bottom - rc.top;
    return S_OK;
}

HRESULT TAccObject::accNavigate(LONG navDir, VARIANT varStart, VARIANT* pvarEnd) {
    if (!pvarEnd) {
        return E_POINTER;
    }
    *pvarEnd = VARIANT();
    if (varStart.vt != VT_I4) {
        return E_INVALIDARG;
    }
    std::vector<Target> children;
    if (!Children(children)) {
        return CO_E_OBJNOTCONNECTED;
    }
    const LONG nCount = static_cast<LONG>(children.size());
    LONG nPlace = 0;
    if (varStart.lVal == CHILDID_SELF) {
        nPlace = navDir == NAVDIR_FIRSTCHILD ? 1 : navDir == NAVDIR_LASTCHILD ? nCount : 0;
    } else if (varStart.lVal < 1 || varStart.lVal > nCount) {
        return E_INVALIDARG;
    } else if (navDir == NAVDIR_NEXT) {
        nPlace = varStart.lVal + 1;
    } else if (navDir == NAVDIR_PREVIOUS) {
        nPlace = varStart.lVal - 1;
    }
    // Siblings of this object's own element are its parent's to tell.
    if (nPlace < 1 || nPlace > nCount) {
        return S_FALSE;
    }
    ChildVariant(children[static_cast<std::size_t>(nPlace) - 1], nPlace, pvarEnd);
    return S_OK;
}

HRESULT TAccObject::accHitTest(LONG xLeft, LONG yTop, VARIANT* pvarChild) {
    Target target;
    const HRESULT found = Start(pvarChild, SelfVariant(), target);
    if (FAILED(found)) {
        return found;
    }
    const POINT pt = {xLeft, yTop};
    const RECT rcSelf = ScreenRect(target);
    if (!PtInRect(&rcSelf, pt)) {
        return S_FALSE;
    }
    const HRESULT hr = FirstChildWhere(pvarChild, [&](const Target& child) {
        const RECT rc = ScreenRect(child);
        return PtInRect(&rc, pt) != 0;
    });
    if (hr == S_FALSE) {
        *pvarChild = SelfVariant();
        return S_OK;
    }
    return hr;
}

HRESULT TAccObject::accDoDefaultAction(VARIANT varChild) {
    Target target;
    const HRESULT hr = Find(varChild, target);
    if (FAILED(hr)) {
        return hr;
    }
    if (target.element.defaultAction.empty()) {
        return DISP_E_MEMBERNOTFOUND;
    }
    // Done when the window next takes its messages, as a click would be: the caller's thread
    // does not wait for whatever the action opens or closes.
    return PostMessageW(target.hWnd, TCM_ACCDEFAULTACTION, 0, target.nId) ? S_OK : E_FAIL;
}

// WM_GETOBJECT: the window's own element for OBJID_CLIENT, and an element with elements of its
// own for its number.
bool AnswerGetObject(HWND hWnd, TAccessibleContent& content, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const LONG nObjectId = static_cast<LONG>(static_cast<DWORD>(lParam));
    LONG nElement = kWindowElement;
    if (nObjectId != OBJID_CLIENT) {
        AccElement element;
        if (nObjectId <= 0 || !content.AccDescribe(nObjectId, element) ||
            content.AccChildren(nObjectId).empty()) {
            return false;
        }
        nElement = nObjectId;
    }
    if (!Ole().Loaded() || !EnterApartment()) {
        return false;
    }
    IAccessible* object = ObjectFor(hWnd, nElement);
    result = Ole().lresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    return true;
}

void RunDefaultAction(HWND hWnd, TAccessibleContent& content, LONG nId) {
    AccElement element;
    // Neither while another window's modal loop holds back the clicks this window would get,
    // nor when the element has lost its action since it was asked for.
    if (TModalWnd::LetsInputThrough(hWnd) && content.AccDescribe(nId, element) &&
        !element.defaultAction.empty()) {
        content.AccDoDefaultAction(nId);
    }
}

} // namespace

bool AnswerAccessibility(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    TAccessibleContent* content = ContentOf(hWnd);
    if (!content) {
        return false;
    }
    if (uMsg == TCM_ACCDEFAULTACTION) {
        RunDefaultAction(hWnd, *content, static_cast<LONG>(lParam));
        result = 0;
        return true;
    }
    return AnswerGetObject(hWnd, *content, wParam, lParam, result);
}

void ForgetAccessibleWindow(HWND hWnd) {
    RegistryLock lock;
    for (TAccObject* object : Registry().objects) {
        if (object->Of(hWnd)) {
            object->Forget();
        }
    }
}

void DisconnectAccessibleObjects() {
    std::vector<TAccObject*> held;
    {
        RegistryLock lock;
        for (TAccObject* object : Registry().objects) {
            if (object->TryAddRef()) {
                held.push_back(object);
            }
        }
    }
    for (TAccObject* object : held) {
        object->Forget();
        // The tools' references go, and with the last one the object.
        Ole().coDisconnectObject(object, 0);
        object->Release();
    }
}

std::vector<LONG> NumberedElements(std::size_t nCount) {
    std::vector<LONG> ids;
    for (std::size_t i = 0; i < nCount; ++i) {
        ids.push_back(static_cast<LONG>(i + 1));
    }
    return ids;
}

std::vector<HWND> AccessibleChildWindows(HWND hParent) {
    std::vector<HWND> windows;
    for (HWND hChild = GetWindow(hParent, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
        if (ContentOf(hChild)) {
            windows.push_back(hChild);
        } else {
            const std::vector<HWND> inner = AccessibleChildWindows(hChild);
            windows.insert(windows.end(), inner.begin(), inner.end());
        }
    }
    return windows;
}

void TAccessibleTexts::Update(HWND hWnd, std::vector<int> keys, std::vector<std::wstring> texts) {
    if (keys != m_keys) {
        // The first paint has nothing to compare with.
        if (!m_keys.empty()) {
            NotifyWinEvent(EVENT_OBJECT_REORDER, hWnd, OBJID_CLIENT, CHILDID_SELF);
        }
    } else {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (texts[i] != m_texts[i]) {
                NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hWnd, OBJID_CLIENT, static_cast<LONG>(i + 1));
            }
        }
    }
    m_keys = std::move(keys);
    m_texts = std::move(texts);
}
