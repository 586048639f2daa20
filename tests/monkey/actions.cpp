// Drawing a run's actions from its seed, and naming them for the printed list.
#include <cstdio>
#include <string>
#include <vector>

#include "monkey.h"

namespace monkey {

std::uint64_t Random::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t RunSeed(std::uint64_t sessionSeed, unsigned index) {
  Random random(sessionSeed * 0x100000001B3ull + index);
  return (random.Next() & ~0xFFull) | (index % StartingFileCount());
}

namespace {

// Characters of code page 932 that the programs must take whole: kana of both widths, kanji
// whose second byte is a backslash (表 ソ 能 予 十), punctuation.
char const* const JAPANESE[] = {"あ", "い", "う", "ア", "イ", "ウ", "ｱ",  "ｲ",  "ｳ",
                                "表", "ソ", "能", "予", "十", "漢", "字", "、", "。",
                                "「", "」", "ー", "＝", "［", "］", "＃"};
char const* const ASCII =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 "
    "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
// Control characters a keyboard can send: tab, line ends, escape, and rarer ones.
char const CONTROLS[] = {'\t', '\r', '\n', '\x01', '\x1b', '\x7f', '\x08'};

std::string DrawText(Random& random, bool forPaste) {
  std::string text;
  int const style = static_cast<int>(random.Below(10));
  // 0-3: a word, 4-6: Japanese, 7-8: long and wide, 9: with control characters
  int const count = style <= 3   ? 1 + static_cast<int>(random.Below(12))
                    : style <= 6 ? 1 + static_cast<int>(random.Below(20))
                    : style <= 8 ? (forPaste ? 150 : 100) + static_cast<int>(random.Below(200))
                                 : 2 + static_cast<int>(random.Below(20));
  for (int i = 0; i < count; ++i) {
    bool japanese = style >= 4 && style <= 8 ? random.Below(3) != 0 : random.OneIn(8);
    if (style == 9 && random.OneIn(3)) {
      text += CONTROLS[random.Below(sizeof CONTROLS)];
    } else if (japanese) {
      text += JAPANESE[random.Below(sizeof JAPANESE / sizeof *JAPANESE)];
    } else {
      text +=
          ASCII[random.Below(static_cast<std::uint32_t>(std::char_traits<char>::length(ASCII)))];
    }
  }
  return text;
}

struct KeyName {
  WORD vk;
  char const* name;
};
// Keys a user presses in the dialogs: editing and moving keys, letters for the mnemonics
// (Alt+N, Alt+K...) and the edit commands (Ctrl+A, C, V, X, Z), Home doubled: typing at the
// start of a full field is where edit controls differ.
KeyName const KEYS[] = {
    {VK_HOME, "Home"},
    {VK_HOME, "Home"},
    {VK_END, "End"},
    {VK_LEFT, "Left"},
    {VK_RIGHT, "Right"},
    {VK_UP, "Up"},
    {VK_DOWN, "Down"},
    {VK_DOWN, "Down"},
    {VK_TAB, "Tab"},
    {VK_TAB, "Tab"},
    {VK_SPACE, "Space"},
    {VK_BACK, "Backspace"},
    {VK_DELETE, "Delete"},
    {VK_INSERT, "Insert"},
    {VK_PRIOR, "PageUp"},
    {VK_NEXT, "PageDown"},
    {'A', "A"},
    {'C', "C"},
    {'D', "D"},
    {'K', "K"},
    {'M', "M"},
    {'N', "N"},
    {'B', "B"},
    {'H', "H"},
    {'V', "V"},
    {'X', "X"},
    {'Z', "Z"},
    {'1', "1"},
    {'Q', "Q"},
    {VK_OEM_2, "/"},
    {VK_OEM_4, "["},
};
// Keys that end a dialog (Enter, Escape, and F4: with Alt, the close box): one key in 32,
// so that most runs live long enough to reach the command dialog.
KeyName const ENDING_KEYS[] = {{VK_RETURN, "Enter"}, {VK_ESCAPE, "Escape"}, {VK_F4, "F4"}};

}  // namespace

void KeyOf(Action const& action, WORD* vk, UINT* modifiers, std::string* name) {
  KeyName const& key = (action.a >> 16) % 32 == 0
                           ? ENDING_KEYS[action.a % (sizeof ENDING_KEYS / sizeof *ENDING_KEYS)]
                           : KEYS[action.a % (sizeof KEYS / sizeof *KEYS)];
  UINT mods = 0;
  // Ctrl one time in six, Shift in four, Alt in five (mnemonics: Alt+N, Alt+K...).
  if (action.b % 6 == 0) mods |= MOD_CONTROL;
  if ((action.b / 6) % 4 == 0) mods |= MOD_SHIFT;
  if ((action.b / 24) % 5 == 0) mods |= MOD_ALT;
  *vk = key.vk;
  *modifiers = mods;
  if (name) {
    *name = std::string(mods & MOD_CONTROL ? "Ctrl+" : "") + (mods & MOD_SHIFT ? "Shift+" : "") +
            (mods & MOD_ALT ? "Alt+" : "") + key.name;
  }
}

// A backslash is shown as \x5C too: a code page 932 trail byte is often one.
std::string Printable(std::string const& text, size_t most) {
  std::string out;
  for (size_t i = 0; i < text.size() && i < most; ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    char hex[8];
    snprintf(hex, sizeof hex, "\\x%02X", c);
    bool const plain = c >= 0x20 && c < 0x7F && c != 0x5C;
    out += plain ? std::string(1, static_cast<char>(c)) : std::string(hex);
  }
  return out + (text.size() > most ? "...(" + std::to_string(text.size()) + " bytes)" : "");
}

std::vector<Action> DrawActions(std::uint64_t runSeed) {
  Random random(runSeed ^ 0xA5A5A5A5u);
  // The weights of the kinds, in ActionKind's order.
  static int const weights[] = {16, 3, 20, 12, 6, 10, 4, 14, 6, 3, 3, 5};
  int total = 0;
  for (int w : weights) total += w;
  std::vector<Action> actions(10 + random.Below(50));
  for (Action& action : actions) {
    int pick = static_cast<int>(random.Below(static_cast<std::uint32_t>(total)));
    int kind = 0;
    while (pick >= weights[kind]) pick -= weights[kind++];
    action.kind = static_cast<ActionKind>(kind);
    action.a = static_cast<std::uint32_t>(random.Next());
    action.b = static_cast<std::uint32_t>(random.Next());
    action.c = static_cast<std::uint32_t>(random.Next());
    if (action.kind == ActionKind::Type || action.kind == ActionKind::Paste) {
      action.text = DrawText(random, action.kind == ActionKind::Paste);
    }
  }
  return actions;
}

std::string Describe(Action const& action) {
  char buffer[160];
  auto shown = [](std::string const& text) { return "\"" + Printable(text, 40) + "\""; };
  switch (action.kind) {
    case ActionKind::Click:
    case ActionKind::DoubleClick:
      snprintf(buffer, sizeof buffer, "%s at %u/1000, %u/1000 of the dialog in front",
               action.kind == ActionKind::Click ? "click" : "double click", action.a % 1000,
               action.b % 1000);
      return buffer;
    case ActionKind::Key: {
      WORD vk = 0;
      UINT mods = 0;
      std::string name;
      KeyOf(action, &vk, &mods, &name);
      return "key " + name;
    }
    case ActionKind::Type:
      return "type " + shown(action.text);
    case ActionKind::Paste:
      return "paste " + shown(action.text);
    case ActionKind::SelectRows:
      snprintf(buffer, sizeof buffer, "select %u row(s) (%u, %u)", action.a % 4, action.b,
               action.c);
      return buffer;
    case ActionKind::HeaderClick:
      snprintf(buffer, sizeof buffer, "click column title %u", action.a % 4);
      return buffer;
    case ActionKind::Button:
      snprintf(buffer, sizeof buffer, "press button %u of the dialog in front", action.a);
      return buffer;
    case ActionKind::Combo:
      snprintf(buffer, sizeof buffer, "choose entry %u of combo box %u", action.b, action.a);
      return buffer;
    case ActionKind::DragPosition:
      snprintf(buffer, sizeof buffer, "drag the position picture to %u/1000, %u/1000 of the screen",
               action.a % 1000, action.b % 1000);
      return buffer;
    case ActionKind::DragPick:
      snprintf(buffer, sizeof buffer, "drag the pick icon to target %u", action.a % 4);
      return buffer;
    case ActionKind::Drop:
      snprintf(buffer, sizeof buffer, "drop %u item(s) (%u, %u)", 1 + action.a % 3, action.b,
               action.c);
      return buffer;
  }
  return "?";
}

}  // namespace monkey
