// Menu items whose text carries a shortcut after a tab ("Move Up\ta") are told to assistive
// technologies by their name alone, with the shortcut as their key binding, as the menu shows them.
#pragma once

// Installs the accessibility for such items, once for the program.
void InstallMenuItemAccessibility();
