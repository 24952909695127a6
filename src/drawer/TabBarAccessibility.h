#pragma once

// The drawer's tab bar to assistive technology: a page tab list whose tabs say which one is
// shown and switch when pressed, and the "⋯" button as a button with a menu.
namespace TabBarAccessibility {

// Installs the factory; safe to call any number of times.
void install();

} // namespace TabBarAccessibility
