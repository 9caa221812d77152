#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Quillon::Selvane {

class EMenuBar;

// Last placement set, in the parent's client coordinates (screen coordinates at top level).
struct Bounds {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Program-wide: set once the window class "EWindow" has been registered.
extern int classRegistered;

// The program's instance handle, given by its entry before the first window: every class
// registration and every window and control creation passes it.
extern HINSTANCE toolkitInstance;

// Base of every toolkit object: a top-level window of the class "EWindow", and the common
// part of controls and menus. The window procedure reaches the object through the
// pointer kept in the window's extra bytes.
class EWindow {
public:
    EWindow();
    EWindow(const EWindow&) = delete;
    EWindow& operator=(const EWindow&) = delete;
    // Destroys the owned children (last first), then the menu bar, then the native window.
    virtual ~EWindow();

    virtual void show(int command);
    virtual void setBounds(int left, int top, int right, int bottom);
    virtual void setGeometry(int x, int y, int width, int height);
    virtual void addChild(EWindow* child);
    // The object owns what it read; the text stays valid until the next getText.
    virtual const char* getText();
    // Keeps the caller's pointer: the text must outlive its use by this object.
    virtual void setText(const char* newText);
    virtual void setCaption(const char* caption);
    virtual void setMenuBar(EMenuBar* bar);
    virtual void repaint();
    virtual void create(EWindow* parentWindow, int identifier);
    virtual HWND createNative(HWND parentHandle, const char* windowText, int identifier);
    virtual ATOM registerClass();
    virtual void attachToWindow(EWindow* window);
    virtual void onDestroy();
    virtual void onSize();
    virtual void onMouseDown(int x, int y);
    virtual void onMouseUp(int x, int y);
    virtual void onMouseMove(int x, int y);
    virtual void onMouseDrag(int x, int y);
    virtual void onPaint(HWND window);
    virtual int onCommand(int code);
    virtual void onHScroll(int request, int position);
    virtual void onVScroll(int request, int position);
    // The wheel turned by `delta` (120 a notch, positive away from the user).
    virtual void onMouseWheel(int delta);
    // A key went down or up in this top-level window or any of its controls, before the
    // control sees it; true when the window takes the key, which the control then never gets.
    virtual bool onKey(int virtualKey, bool down);

    // The child whose identifier is `identifier`, or null when none has it.
    EWindow* childWithId(int identifier) const;

    std::vector<EWindow*> children;
    EWindow* parent = nullptr;
    HWND handle = nullptr;
    const char* text;
    Bounds bounds;
    EMenuBar* menuBar = nullptr;

protected:
    // Creates a top-level window on first need, with the stored caption and placement.
    void ensureCreated();
    // The common creation; only top-level windows carry the object pointer.
    void createWindow(EWindow* parentWindow, int identifier, bool linkObject);

private:
    bool ownsLiveNativeWindow() const;
    bool objectLinked_ = false;
    std::string textRead_;
};

}  // namespace Quillon::Selvane
