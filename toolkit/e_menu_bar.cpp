#include "toolkit/e_menu_bar.h"

namespace Quillon::Selvane {

EMenuBar::EMenuBar() : EMenuBar(true) {}

EMenuBar::EMenuBar(bool withNativeMenu) {
    if (withNativeMenu) menuHandle = CreateMenu();
}

// Placement, captions and window operations mean nothing for a menu.
void EMenuBar::show(int) {}
void EMenuBar::setBounds(int, int, int, int) {}
void EMenuBar::setGeometry(int, int, int, int) {}
void EMenuBar::setCaption(const char*) {}
void EMenuBar::setMenuBar(EMenuBar*) {}
ATOM EMenuBar::registerClass() { return 0; }
HWND EMenuBar::createNative(HWND, const char*, int) { return nullptr; }

void EMenuBar::addChild(EWindow* entry) {
    if (!entry) return;
    children.push_back(entry);  // no duplicate test: an entry added twice shows twice
    if (auto* menuEntry = dynamic_cast<EMenuBar*>(entry)) menuEntry->attachToMenu(this);
}

const char* EMenuBar::getText() { return text; }

// The label is copied into the native menu when appended; later texts are kept only here.
void EMenuBar::setText(const char* newText) { text = newText ? newText : ""; }

void EMenuBar::repaint() {
    if (!ownerWindow) return;
    DrawMenuBar(ownerWindow->handle);
    ownerWindow->repaint();
}

void EMenuBar::create(EWindow* window, int identifier) {
    ownerWindow = window;
    commandId = identifier;
}

void EMenuBar::attachToWindow(EWindow* window) {
    if (!window || !window->handle || ownerWindow) return;
    ownerWindow = window;
    SetMenu(window->handle, menuHandle);
    DrawMenuBar(window->handle);
    attachEntries();
}

int EMenuBar::onCommand(int) {
    onSelect();
    return 1;
}

bool EMenuBar::appendTo(EMenuBar* menu, UINT flags) {
    if (!menu) return false;
    parent = menu;
    ownerWindow = menu->ownerWindow;
    if (!ownerWindow) return false;  // appended when the menu reaches its window
    ownerWindow->addChild(this);  // gives commandId
    // A drop-down appends its menu, a command its identifier, a line nothing.
    UINT_PTR item = 0;
    if (flags == MF_POPUP) item = reinterpret_cast<UINT_PTR>(menuHandle);
    if (flags == MF_STRING) item = static_cast<UINT_PTR>(commandId);
    AppendMenuA(menu->menuHandle, flags, item, text);
    DrawMenuBar(ownerWindow->handle);
    return true;
}

void EMenuBar::attachEntries() {
    for (size_t i = 0; i < children.size(); ++i)
        if (auto* entry = dynamic_cast<EMenuBar*>(children[i])) entry->attachToMenu(this);
}

void EMenuBar::attachToMenu(EMenuBar* menu) {
    if (appendTo(menu, MF_POPUP)) attachEntries();
}

void EMenuBar::onSelect() {}
void EMenuBar::addSeparator() {}

}  // namespace Quillon::Selvane
