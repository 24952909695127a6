#pragma once

#include <QString>

// Whether two texts are canonically equivalent (the same characters, composed or decomposed, with
// combining marks in any canonical order). Linear in the length of the texts, and stops at the
// first difference; safe on any thread.
bool canonicallyEqual(const QString& a, const QString& b);
