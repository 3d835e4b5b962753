#pragma once

// How the program looks and speaks, set once at start: Traditional glyphs,
// "*" in password boxes, Taiwan's dates and Qt's own Traditional Chinese
// texts for the platform's dialogs, calendars and buttons.
namespace ui {

// Returns false when Qt's Traditional Chinese translation isn't installed
// (Debian package qt6-translations-l10n); the platform's own texts then
// stay in English.
bool applyProgramLook();

}  // namespace ui
