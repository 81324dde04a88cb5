// The keys and typed characters with which an edit field asks for a cut, a copy or a paste. The
// fields send them on as the clipboard messages, so that what a field does with those (a private
// copy, a checked paste) holds for every way of asking.
#pragma once

enum class TClipboardCommand { None, Cut, Copy, Paste };

enum class TEditKey { Delete, Insert, Other };

// Shift+Del cuts, Ctrl+Ins copies and Shift+Ins pastes, each without the other modifier.
TClipboardCommand ClipboardKeyCommand(TEditKey key, bool shift, bool control) noexcept;
// The characters Ctrl+X (24) and Ctrl+V (22) type; the numeric field cuts and pastes with them
// whatever the edit would do.
TClipboardCommand ClipboardCharCommand(char32_t c) noexcept;
