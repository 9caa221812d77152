#pragma once
#include "toolkit/e_window.h"

namespace Quillon::Selvane {

// A window's menu bar. Menu objects are not windows: they wrap native menus, and take
// their command identifiers by registering as children of their window.
class EMenuBar : public EWindow {
public:
    EMenuBar();
    ~EMenuBar() override = default;

    void show(int command) override;
    void setBounds(int left, int top, int right, int bottom) override;
    void setGeometry(int x, int y, int width, int height) override;
    void addChild(EWindow* entry) override;
    const char* getText() override;
    void setText(const char* newText) override;
    void setCaption(const char* caption) override;
    void setMenuBar(EMenuBar* bar) override;
    void repaint() override;
    void create(EWindow* window, int identifier) override;
    HWND createNative(HWND parentHandle, const char* windowText, int identifier) override;
    ATOM registerClass() override;
    void attachToWindow(EWindow* window) override;
    int onCommand(int code) override;
    // Joins `menu` as a drop-down once that menu knows its window.
    virtual void attachToMenu(EMenuBar* menu);
    virtual void onSelect();
    virtual void addSeparator();

    EWindow* ownerWindow = nullptr;
    HMENU menuHandle = nullptr;
    int32_t commandId = 0;

protected:
    // Entries and separators have no native menu of their own.
    explicit EMenuBar(bool withNativeMenu);
    // The common part of attachToMenu: once the menu knows its window, registers this
    // object with it and appends the native entry. False while the window is unknown.
    bool appendTo(EMenuBar* menu, UINT flags);
    void attachEntries();
};

}  // namespace Quillon::Selvane
