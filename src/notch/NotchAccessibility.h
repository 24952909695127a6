#pragma once

// The pill to assistive technology: a button named "Hodgebin" that says what it counts and,
// pressed, opens the drawer as the pointer does.
namespace NotchAccessibility {

// Installs the factory; safe to call any number of times.
void install();

} // namespace NotchAccessibility
