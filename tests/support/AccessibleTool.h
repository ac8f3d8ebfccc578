#pragma once
// An assistive tool inside the test's process: a thread of its own in the multithreaded
// apartment reads windows through AccessibleObjectFromWindow, the road a screen reader's
// process takes (Wine's oleacc marshals the objects between the threads), while the windows'
// thread goes on taking its messages. And a log of the accessibility events windows raise.
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <memory>
#include <mutex>
#include <tuple>

namespace testing_support {

// Runs the tool on a thread of its own and takes this thread's messages until it is done;
// meanwhile runs onIdle between messages.
inline void AsTool(
    const std::function<void()>& work, const std::function<void()>& onIdle = [] {}) {
    std::atomic<bool> done{false};
    std::thread tool([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        work();
        CoUninitialize();
        done = true;
    });
    const auto finished = [&] {
        onIdle();
        return done.load();
    };
    EXPECT_TRUE(PumpUntil(finished, 60000)) << "the tool waits for this thread";
    PumpUntil(finished, INFINITE);
    tool.join();
}

// For the tool's thread: whether the condition comes true within 20 s, the windows' thread
// acting meanwhile.
inline bool Eventually(const std::function<bool()>& condition) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(1)) {
        if (GetTickCount() - start > 20000) {
            return false;
        }
    }
    return true;
}

// One element as a tool holds it: an object, and a child of it or the object itself.
struct AccNode {
    std::shared_ptr<IAccessible> acc;
    LONG id = CHILDID_SELF;
};

inline std::shared_ptr<IAccessible> Hold(IAccessible* acc) {
    return std::shared_ptr<IAccessible>(acc, [](IAccessible* a) {
        if (a) {
            a->Release();
        }
    });
}

// The IAccessible of an object handed out as IDispatch, which is released.
inline IAccessible* Query(IDispatch* dispatch) {
    IAccessible* acc = nullptr;
    if (dispatch) {
        dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&acc));
        dispatch->Release();
    }
    return acc;
}

inline VARIANT ChildId(LONG id) {
    VARIANT v = {};
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

inline AccNode FromWindow(HWND hWnd, LONG objectId = OBJID_CLIENT) {
    IAccessible* acc = nullptr;
    EXPECT_EQ(AccessibleObjectFromWindow(hWnd, static_cast<DWORD>(objectId), __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&acc)),
              S_OK);
    return AccNode{Hold(acc), CHILDID_SELF};
}

// The children of an object's own element, as AccessibleChildren hands them out.
inline std::vector<AccNode> Children(const AccNode& node) {
    LONG count = 0, got = 0;
    EXPECT_EQ(node.acc->get_accChildCount(&count), S_OK);
    std::vector<VARIANT> found(static_cast<std::size_t>(count));
    AccessibleChildren(node.acc.get(), 0, count, found.data(), &got);
    std::vector<AccNode> children;
    for (VARIANT& v : found) {
        if (v.vt == VT_DISPATCH) {
            children.push_back(AccNode{Hold(Query(v.pdispVal)), CHILDID_SELF});
        } else {
            children.push_back(AccNode{node.acc, v.lVal});
        }
    }
    return children;
}

inline std::wstring Take(BSTR text) {
    std::wstring taken = text ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    return taken;
}

// What a tool reads of an element; an element that is gone reads as its error.
struct AccRead {
    HRESULT hr = S_OK;
    std::wstring name, value, action;
    LONG role = 0, state = 0;
    RECT rc = {};
};

inline AccRead Read(const AccNode& node) {
    AccRead r;
    BSTR text = nullptr;
    r.hr = node.acc->get_accName(ChildId(node.id), &text);
    r.name = Take(text);
    if (FAILED(r.hr)) {
        return r;
    }
    node.acc->get_accValue(ChildId(node.id), &text);
    r.value = Take(text);
    node.acc->get_accDefaultAction(ChildId(node.id), &text);
    r.action = Take(text);
    VARIANT v = {};
    node.acc->get_accRole(ChildId(node.id), &v);
    r.role = v.lVal;
    node.acc->get_accState(ChildId(node.id), &v);
    r.state = v.lVal;
    LONG x = 0, y = 0, w = 0, h = 0;
    node.acc->accLocation(&x, &y, &w, &h, ChildId(node.id));
    r.rc = RECT{x, y, x + w, y + h};
    return r;
}

// A rectangle as gtest compares and prints it.
inline std::tuple<LONG, LONG, LONG, LONG> Edges(const RECT& rc) {
    return {rc.left, rc.top, rc.right, rc.bottom};
}

inline HRESULT DoDefault(const AccNode& node) {
    return node.acc->accDoDefaultAction(ChildId(node.id));
}

// Name, value and role of each element, in order.
using NamesValuesRoles = std::vector<std::tuple<std::wstring, std::wstring, LONG>>;
inline NamesValuesRoles Summary(const std::vector<AccNode>& nodes) {
    NamesValuesRoles summary;
    for (const AccNode& node : nodes) {
        const AccRead r = Read(node);
        summary.emplace_back(r.name, r.value, r.role);
    }
    return summary;
}

// The accessibility events of this process from the moment it is made (event, window, object
// and child ids), for any thread to count.
class AccEventLog {
public:
    using Event = std::tuple<DWORD, HWND, LONG, LONG>;
    AccEventLog()
        : m_hook(SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_VALUECHANGE, nullptr, &Record,
                                 GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT)) {
        std::lock_guard<std::mutex> lock(mutex);
        events.clear();
    }
    ~AccEventLog() { UnhookWinEvent(m_hook); }
    AccEventLog(const AccEventLog&) = delete;
    AccEventLog& operator=(const AccEventLog&) = delete;

    static int Count(const Event& event) {
        std::lock_guard<std::mutex> lock(mutex);
        return static_cast<int>(std::count(events.begin(), events.end(), event));
    }
    // Takes this thread's messages until the events it has raised so far have all come: they
    // come in order, behind the thread's other messages.
    static void Settle() {
        static LONG marker = 0;
        const Event last = {EVENT_OBJECT_REORDER, GetDesktopWindow(), 0x4B53, ++marker};
        NotifyWinEvent(std::get<0>(last), std::get<1>(last), std::get<2>(last), std::get<3>(last));
        EXPECT_TRUE(PumpUntil([&] { return Count(last) > 0; }));
    }

private:
    static void CALLBACK Record(HWINEVENTHOOK, DWORD event, HWND hWnd, LONG objectId, LONG childId, DWORD,
                                DWORD) {
        std::lock_guard<std::mutex> lock(mutex);
        events.emplace_back(event, hWnd, objectId, childId);
    }
    static inline std::mutex mutex;
    static inline std::vector<Event> events;
    HWINEVENTHOOK m_hook;
};

} // namespace testing_support
