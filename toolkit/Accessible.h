#pragma once
// Screen readers and UI-automation tools read the owner-drawn windows through Microsoft Active
// Accessibility: a window answers WM_GETOBJECT with an IAccessible object that asks the window
// about its elements at every question (what they are called, what they show, where they lie,
// what their default action does). The objects hold a window handle and an element number,
// never a pointer to a window object; once the window is gone they answer that they are no
// longer connected. Nothing of this is built, and no library of it loaded, until a tool asks.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// What a tool reads of one element of a window: its client area itself, or a part of it.
struct AccElement {
    std::wstring name;
    std::optional<std::wstring> value; // none for elements that show no value of their own
    LONG nRole = 0;                    // ROLE_SYSTEM_*
    LONG nState = 0;                   // STATE_SYSTEM_*
    RECT rcClient = {};                // where it lies, in the window's client coordinates
    std::wstring defaultAction;        // empty: it has none now
    // A window of ours that stands for the element: the tool reads that window's own element.
    HWND hWindow = nullptr;
};

// Implemented by a window object that tells tools what it shows; asked on the window's thread.
// Element kWindowElement is the client area itself (its place and visibility are the
// machinery's to fill in). Every other element has a number of the window's choosing above 0.
// An element with elements of its own (a row of a table) is an object of its own, which tools
// also reach with its number as the object id of WM_GETOBJECT and of events; such elements sit
// directly inside the window's element. Tools address the others by their place, from 1, among
// their parent's.
class TAccessibleContent {
public:
    static constexpr LONG kWindowElement = 0;

    // The numbers of the elements inside nParent, in reading order.
    virtual std::vector<LONG> AccChildren(LONG nParent) = 0;
    // False when there is no such element now.
    virtual bool AccDescribe(LONG nId, AccElement& element) = 0;
    // Runs the element's default action, as the user's click on it would; only called while
    // the element has one and input may reach the window.
    virtual void AccDoDefaultAction(LONG nId) = 0;

protected:
    ~TAccessibleContent() = default;
};

// WM_GETOBJECT and the posted default action, for a window of ours with content; false when the
// message is left to the window's handler and the system.
bool AnswerAccessibility(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result);
// The window is being destroyed: every object of it answers from now on that it is gone.
void ForgetAccessibleWindow(HWND hWnd);
// Cuts every object still held by a tool off from this library, which may be unloaded next:
// calls on them fail in the tool's own process without reaching here.
void DisconnectAccessibleObjects();

// Elements 1 to nCount, for a window that numbers its elements by their places.
std::vector<LONG> NumberedElements(std::size_t nCount);

// The windows of ours with content inside hParent, in z-order: its children, and the children
// of a child that has none of its own (a frame around a grid).
std::vector<HWND> AccessibleChildWindows(HWND hParent);

// What the elements of a window last showed, so that tools hear of each change once: texts[i]
// is what child i + 1 of the window's element shows, keys[i] which element that is. Telling
// costs nothing while no tool listens, and the texts are those a paint has made anyway.
class TAccessibleTexts {
public:
    // When the keys differ from the last ones, tools hear that the children were replaced and
    // must be read again; otherwise of each text that differs.
    void Update(HWND hWnd, std::vector<int> keys, std::vector<std::wstring> texts);

private:
    std::vector<int> m_keys;
    std::vector<std::wstring> m_texts;
};
