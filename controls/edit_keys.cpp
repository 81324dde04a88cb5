// A key asks for its command only with exactly its modifier.
#include "controls/edit_keys.h"

TClipboardCommand ClipboardKeyCommand(TEditKey key, bool shift, bool control) noexcept {
  if (key == TEditKey::Delete && shift && !control) return TClipboardCommand::Cut;
  if (key == TEditKey::Insert && control && !shift) return TClipboardCommand::Copy;
  if (key == TEditKey::Insert && shift && !control) return TClipboardCommand::Paste;
  return TClipboardCommand::None;
}

TClipboardCommand ClipboardCharCommand(char32_t c) noexcept {
  if (c == 0x16) return TClipboardCommand::Paste;
  if (c == 0x18) return TClipboardCommand::Cut;
  return TClipboardCommand::None;
}
