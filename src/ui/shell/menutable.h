#pragma once
// The main window's whole menu, in display order: each entry under its parent (a menu or a
// submenu of the bar; no parent: the bar itself). Items whose work comes later have no handler.

#include <span>

class FMenu;

enum class MenuKind { Menu, Submenu, Item };

struct MenuEntry {
    MenuKind kind;
    const char* parent;
    const char* name;
    const char* caption;
    void (FMenu::*handler)();
};

std::span<const MenuEntry> menuEntries();
