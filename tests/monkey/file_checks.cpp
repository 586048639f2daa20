// The checks of pimbo.ini after a run: Cancel (or a save the editor refused) left it byte for
// byte; OK wrote a well-formed file that holds everything of the old one that the run did not
// change. Every check errs towards passing where the run may have changed a thing, so that a
// failure is always the editor's.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "configuration.h"
#include "monkey.h"
#include "test_files.h"

namespace monkey {
namespace {

enum class Encoding { Cp932, Utf8, Utf8Mark, Utf16Le, Utf16Be };

char const* NameOf(Encoding e) {
  switch (e) {
    case Encoding::Cp932:
      return "code page 932";
    case Encoding::Utf8:
      return "UTF-8";
    case Encoding::Utf8Mark:
      return "UTF-8 with mark";
    case Encoding::Utf16Le:
      return "UTF-16 LE";
    case Encoding::Utf16Be:
      return "UTF-16 BE";
  }
  return "?";
}

bool StartsWith(std::string const& text, char const* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Valid UTF-8 with at least one multi-byte sequence: what a file without a mark must be to be
// read as UTF-8.
bool ReadsAsUtf8(std::string const& bytes) {
  int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                 static_cast<int>(bytes.size()), nullptr, 0);
  bool multiByte = std::any_of(bytes.begin(), bytes.end(),
                               [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return !bytes.empty() && wide > 0 && multiByte;
}

Encoding EncodingOf(std::string const& bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return Encoding::Utf8Mark;
  if (StartsWith(bytes, "\xFF\xFE")) return Encoding::Utf16Le;
  if (StartsWith(bytes, "\xFE\xFF")) return Encoding::Utf16Be;
  return ReadsAsUtf8(bytes) ? Encoding::Utf8 : Encoding::Cp932;
}

// The text with its mark taken off; UTF-16 as UTF-8. The checks compare texts of the same
// encoding only, so the bytes of code page 932 and UTF-8 stay as they are.
std::string Text8(std::string const& bytes, Encoding e) {
  if (e == Encoding::Utf8Mark) return bytes.substr(3);
  if (e != Encoding::Utf16Le && e != Encoding::Utf16Be) return bytes;
  std::wstring wide;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    auto lo = static_cast<unsigned char>(bytes[i]), hi = static_cast<unsigned char>(bytes[i + 1]);
    wide += static_cast<wchar_t>(e == Encoding::Utf16Le ? lo | hi << 8 : hi | lo << 8);
  }
  return Utf8OfWide(wide);
}

// Lines as the reader splits them: at CR, LF or CR LF.
std::vector<std::string> SplitLines(std::string const& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

std::string Trim(std::string const& s) {
  size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// A line of the file as the reader sees it (ProfileScanLines): its kind and, for keys and
// headers, the section it lies in.
enum class LineKind { Blank, Header, Comment, Key, Unread };
struct Line {
  LineKind kind = LineKind::Blank;
  std::string text;       // the line's bytes
  std::string section;    // the section it lies in, lower case ("" before the first header)
  bool afterNul = false;  // at or after a line that starts with NUL: the reader stops there
  bool hasNul = false;
  std::string name, value;  // keys: trimmed
  char const* why = "";     // unread lines: why the reader passes them over
};

std::vector<Line> Classify(std::string const& text) {
  std::vector<Line> lines;
  std::string section;
  bool afterNul = false;
  for (std::string const& raw : SplitLines(text)) {
    Line line;
    line.text = raw;
    if (!raw.empty() && raw[0] == '\0') afterNul = true;
    line.afterNul = afterNul;
    line.hasNul = raw.find('\0') != std::string::npos;
    if (afterNul) {
      line.kind = LineKind::Unread;
      line.why = "at or after a line that starts with NUL";
    } else if (raw.empty()) {
      line.kind = LineKind::Blank;
    } else if (raw[0] == '[') {
      if (raw.size() >= 2 && raw.back() == ']' && raw.size() > 2) {
        line.kind = LineKind::Header;
        std::string inside = raw.substr(1, raw.size() - 2);
        // A header of blanks starts a section that no name reaches.
        section = Trim(inside).empty() ? std::string("\x01 blank") : Lower(Trim(inside));
      } else {
        line.kind = LineKind::Unread;
        line.why = raw == "[]" ? "empty brackets" : "a header that does not end in ]";
      }
    } else if (raw[0] == '#') {
      line.kind = LineKind::Comment;
    } else if (raw[0] == '=') {
      line.kind = LineKind::Unread;
      line.why = "a line that starts with =";
    } else if (Trim(raw).empty()) {
      line.kind = LineKind::Blank;
    } else {
      line.kind = LineKind::Key;
      size_t eq = raw.find('=');
      // The model cuts a name at a NUL: what is left of it is the name the editor sees.
      line.name = Trim(raw.substr(0, std::min(eq, raw.find('\0'))));
      line.value = eq == std::string::npos ? std::string() : Trim(raw.substr(eq + 1));
    }
    line.section = section;
    lines.push_back(std::move(line));
  }
  return lines;
}

char const* const SETTINGS_KEYS[] = {"hot key", "fgcolor",   "bgcolor", "xpoint",
                                     "ypoint",  "hide time", "notray",  "command count"};
char const* const COMMAND_STEMS[] = {"command name", "command key", "command type", "command exe",
                                     "command file"};

bool IsSettingsKey(std::string const& name) {
  std::string lower = Lower(name);
  return std::any_of(std::begin(SETTINGS_KEYS), std::end(SETTINGS_KEYS),
                     [&](char const* key) { return lower == key; });
}

// "command name7" and the like: stem, then digits.
bool IsCommandKey(std::string const& name) {
  std::string lower = Lower(name);
  for (char const* stem : COMMAND_STEMS) {
    size_t n = std::strlen(stem);
    if (lower.size() > n && lower.compare(0, n, stem) == 0 &&
        lower.find_first_not_of("0123456789", n) == std::string::npos) {
      return true;
    }
  }
  return false;
}

// Keys the editor itself writes, in any section of those names: their lines may change.
bool EditorOwns(Line const& line) {
  return (line.section == "settings" && IsSettingsKey(line.name)) ||
         (line.section == "commands" && IsCommandKey(line.name));
}

// ---------------------------------------------------------------------------------------------
// The editor's view of a file, through the same loading the editor uses.

struct Loaded {
  Settings settings{};
  std::vector<std::string> commands;  // each command's five texts joined
};

Loaded Load(std::string const& folder, std::string const& name, std::string const& bytes) {
  std::string path = folder + "\\" + name;
  WriteBytes(path, bytes);
  Settings defaults{};
  defaults.hotKey = DEFAULT_HOT_KEY;
  defaults.textColor = GetSysColor(COLOR_BTNTEXT);
  defaults.backgroundColor = GetSysColor(COLOR_WINDOW);
  defaults.x = defaults.y = DEFAULT_POINT;
  defaults.hideTime = DEFAULT_HIDE_TIME;
  defaults.noTray = DEFAULT_NO_TRAY;
  Loaded loaded;
  CommandList list;
  LoadConfiguration(path.c_str(), defaults, &loaded.settings, &list, nullptr);
  auto text = [](char const* s) { return std::string(s ? s : ""); };
  for (CommandRecord* r = list.head; r; r = r->next) {
    loaded.commands.push_back(text(r->name) + '\t' + text(r->key) + '\t' + std::to_string(r->type) +
                              '\t' + text(r->exe) + '\t' + text(r->file));
  }
  FreeCommandList(&list);
  DeleteFileA(path.c_str());
  return loaded;
}

void Fail(std::vector<Failure>* failures, char const* check, std::string const& detail) {
  failures->push_back({check, detail});
}

// ---------------------------------------------------------------------------------------------
// After OK

// CR LF line ends, one [settings], a command count that matches the list, five keys each.
void CheckWellFormed(FileCheckInput const& in, std::string const& text,
                     std::vector<Line> const& oldLines, std::vector<Line> const& newLines,
                     std::vector<Failure>* failures) {
  // What follows a NUL that starts a line is read by no one, and the editor keeps it at the end
  // byte for byte, line ends and all: the line ends are checked before it.
  size_t readable = 0;
  while (readable < text.size() &&
         !(text[readable] == '\0' &&
           (readable == 0 || text[readable - 1] == '\r' || text[readable - 1] == '\n'))) {
    ++readable;
  }
  std::string_view const read(text.data(), readable);
  for (size_t i = 0; i < read.size(); ++i) {
    bool lone = (read[i] == '\r' && (i + 1 == read.size() || read[i + 1] != '\n')) ||
                (read[i] == '\n' && (i == 0 || read[i - 1] != '\r'));
    if (lone) {
      Fail(failures, "crlf",
           "a line end other than CR LF at byte " + std::to_string(i) + ", near \"" +
               Printable(text.substr(i > 30 ? i - 30 : 0, 60)) + "\"");
      break;
    }
  }
  if (!read.empty() && (read.size() < 2 || read.substr(read.size() - 2) != "\r\n")) {
    Fail(failures, "crlf",
         "the last line read has no CR LF: \"" +
             Printable(std::string(read.substr(read.size() > 40 ? read.size() - 40 : 0))) +
             "\"");
  }

  auto countSettings = [](std::vector<Line> const& lines) {
    return std::count_if(lines.begin(), lines.end(), [](Line const& l) {
      return l.kind == LineKind::Header && l.section == "settings";
    });
  };
  long oldCount = countSettings(oldLines), newCount = countSettings(newLines);
  if (newCount != std::max(1L, oldCount)) {
    Fail(failures, "one-settings-section",
         "expected " + std::to_string(std::max(1L, oldCount)) +
             " [settings] header(s) (the old file had " + std::to_string(oldCount) + "), got " +
             std::to_string(newCount));
  }

  // The first value of each key of the first-named sections, as lookups find them.
  std::map<std::string, std::string> settings, commands;
  for (Line const& line : newLines) {
    if (line.kind != LineKind::Key) continue;
    auto& into = line.section == "settings" ? settings : commands;
    if (line.section == "settings" || line.section == "commands")
      into.emplace(Lower(line.name), line.value);
  }
  auto count = settings.find("command count");
  if (count == settings.end()) {
    Fail(failures, "command-count", "no \"command count\" in [settings]");
    return;
  }
  std::string const& digits = count->second;
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
      digits.size() > 6) {
    Fail(failures, "command-count", "\"command count\" is \"" + Printable(digits) + "\"");
    return;
  }
  int const n = std::stoi(digits);
  if (in.touched.lastRowCount >= 0 && n != in.touched.lastRowCount) {
    Fail(failures, "command-count",
         "\"command count\" is " + digits + ", the list had " +
             std::to_string(in.touched.lastRowCount) + " rows");
  }
  for (int i = 0; i < n; ++i) {
    for (char const* stem : COMMAND_STEMS) {
      if (!commands.count(stem + std::to_string(i))) {
        Fail(failures, "command-keys",
             std::string("no \"") + stem + std::to_string(i) + "\" in [commands] (command count " +
                 digits + ")");
        return;
      }
    }
  }
}

// A command name that ends in half a character: a lone lead byte that the old file did not
// hold in that place (code page 932 files; the others hold no such byte).
void CheckWholeCharacters(std::vector<Line> const& oldLines, std::vector<Line> const& newLines,
                          std::vector<Failure>* failures) {
  std::map<std::string, int> oldValues;
  for (Line const& line : oldLines) ++oldValues[line.value];
  for (Line const& line : newLines) {
    if (line.kind != LineKind::Key || line.section != "commands" || !IsCommandKey(line.name))
      continue;
    std::string value = line.value;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    bool lone = false;
    for (size_t i = 0; i < value.size(); ++i) {
      if (IsDBCSLeadByteEx(932, static_cast<BYTE>(value[i]))) {
        if (i + 1 == value.size()) lone = true;
        ++i;
      }
    }
    if (lone && !oldValues.count(line.value)) {
      Fail(failures, "split-character",
           line.name + " (" + std::to_string(value.size()) +
               " bytes) ends in a lone lead byte: \"..." +
               Printable(value.substr(value.size() > 12 ? value.size() - 12 : 0)) + "\"");
    }
  }
}

// Lines the reader passes over are kept byte for byte (unless the run may have replaced them:
// keys the editor writes, in a line cut at a NUL).
void CheckUnreadKept(std::vector<Line> const& oldLines, std::vector<Line> const& newLines,
                     std::vector<Failure>* failures) {
  std::map<std::string, int> have;
  for (Line const& line : newLines) ++have[line.text];
  std::map<std::string, int> need;
  std::map<std::string, char const*> why;
  for (Line const& line : oldLines) {
    bool unread = line.kind == LineKind::Unread;
    // A key cut at its NUL: the rest of its line is not read.
    bool cut = line.kind == LineKind::Key && line.hasNul && !EditorOwns(line);
    bool commentWithNul = line.kind == LineKind::Comment && line.hasNul;
    if (unread && line.afterNul) {
      // Past the NUL the editor knows no section; a line it would write itself may change.
      Line guess = line;
      size_t eq = line.text.find('=');
      guess.name = Trim(line.text.substr(0, eq));
      if (line.text[0] != '\0' && line.text[0] != '[' && line.text[0] != '#' && EditorOwns(guess)) {
        continue;
      }
    }
    if (!unread && !cut && !commentWithNul) continue;
    ++need[line.text];
    why[line.text] = unread ? line.why
                     : cut  ? "a key line with a NUL inside"
                            : "a comment with a NUL";
  }
  int reported = 0;
  for (auto const& [text, times] : need) {
    int got = have.count(text) ? have[text] : 0;
    if (got < times && reported++ < 5) {
      Fail(failures, "unread-line-kept",
           std::string(why[text]) + ": \"" + Printable(text) + "\" was in the old file " +
               std::to_string(times) + " time(s), is in the new one " + std::to_string(got));
    }
  }
}

// Comments, and keys the editor does not write, in every section: each (section, name, value)
// as often as before.
void CheckOthersKept(std::vector<Line> const& oldLines, std::vector<Line> const& newLines,
                     std::vector<Failure>* failures) {
  // A comment is kept as the model holds it: trimmed at its end, at most 255 bytes (longer
  // ones are left out here); a key by its name (at most 255 bytes) and value, both trimmed.
  auto comment = [](Line const& line) {
    return line.text.substr(0, line.text.find_last_not_of(" \t") + 1);
  };
  auto keyOf = [&](Line const& line) {
    return line.kind == LineKind::Comment
               ? "#\t" + line.section + "\t" + comment(line)
               : "=\t" + line.section + "\t" + line.name + "\t" + line.value;
  };
  auto counted = [&](Line const& line) {
    // A name of blanks only is never written, as the file's rules say.
    bool const blankName = line.kind == LineKind::Key && line.name.empty();
    return (line.kind == LineKind::Comment || line.kind == LineKind::Key) && !line.hasNul &&
           !line.afterNul && !blankName && !EditorOwns(line) && line.name.size() <= 255 &&
           line.section.size() <= 255 &&
           (line.kind != LineKind::Comment || comment(line).size() <= 255);
  };
  std::map<std::string, int> have;
  for (Line const& line : newLines) {
    if (line.kind == LineKind::Comment || line.kind == LineKind::Key) ++have[keyOf(line)];
  }
  std::map<std::string, int> need;
  std::map<std::string, Line const*> example;
  for (Line const& line : oldLines) {
    if (!counted(line)) continue;
    ++need[keyOf(line)];
    example[keyOf(line)] = &line;
  }
  int reported = 0;
  for (auto const& [key, times] : need) {
    int got = have.count(key) ? have[key] : 0;
    if (got < times && reported++ < 5) {
      Line const& line = *example[key];
      Fail(failures, "other-lines-kept",
           std::string(line.kind == LineKind::Comment ? "comment" : "key") + " \"" +
               Printable(line.text) + "\" of section [" + Printable(line.section) +
               "] was in the old file " + std::to_string(times) + " time(s), is in the new one " +
               std::to_string(got));
    }
  }
}

// Settings the run did not touch keep their values; commands it did not modify or delete are
// all still there (as a multiset: the list may have been sorted).
void CheckEditorViewKept(FileCheckInput const& in, Loaded const& before, Loaded const& after,
                         std::vector<Failure>* failures) {
  Touched const& t = in.touched;
  Settings const& o = before.settings;
  Settings const& n = after.settings;
  auto same = [&](bool touched, char const* key, long long was, long long is) {
    if (!touched && was != is) {
      Fail(failures, "settings-kept",
           std::string(key) + " was " + std::to_string(was) + ", is " + std::to_string(is) +
               "; the run did not change it");
    }
  };
  same(t.hotKey, "hot key", o.hotKey, n.hotKey);
  same(t.colours, "FGColor", o.textColor, n.textColor);
  same(t.colours, "BGColor", o.backgroundColor, n.backgroundColor);
  same(t.position, "XPOINT", o.x, n.x);
  same(t.position, "YPOINT", o.y, n.y);
  // The list of hide times holds 0 to 4 only; another value is shown as one of them.
  same(t.hideTime || o.hideTime > HIDE_AFTER_3S, "HIDE TIME", o.hideTime, n.hideTime);
  same(t.noTray, "NoTray", o.noTray != 0, n.noTray != 0);

  std::map<std::string, int> now;
  for (std::string const& c : after.commands) ++now[c];
  int kept = 0;
  std::vector<std::string const*> lost;
  for (std::string const& c : before.commands) {
    auto found = now.find(c);
    if (found != now.end() && found->second > 0) {
      --found->second;
      ++kept;
    } else {
      lost.push_back(&c);
    }
  }
  int const mayChange = t.rowsRemoved + t.editDialogs;
  int const mustKeep = static_cast<int>(before.commands.size()) - mayChange;
  if (kept < mustKeep) {
    std::string detail = std::to_string(before.commands.size() - kept) +
                         " command(s) of the old file are gone or changed, the run may have "
                         "changed " +
                         std::to_string(mayChange) + "; the first gone: \"" +
                         Printable(*lost.front(), 120) + "\"";
    Fail(failures, "commands-kept", detail);
  }
}

}  // namespace

void CheckFile(FileCheckInput const& in, std::vector<Failure>* failures) {
  bool const unchanged = in.existsAfter == in.before.exists && in.after == in.before.bytes;
  bool const saved = in.ending == Ending::Ok || (in.ending == Ending::ByAction && !unchanged);
  if (!saved || in.notSaved) {
    if (!unchanged) {
      Fail(failures, "cancel-left-file",
           std::string(in.notSaved ? "the editor said it did not save"
                                   : "the dialog was cancelled") +
               ", but pimbo.ini " +
               (in.existsAfter ? "changed (" + std::to_string(in.before.bytes.size()) + " -> " +
                                     std::to_string(in.after.size()) + " bytes)"
                               : "is gone"));
    }
    return;
  }
  if (!in.existsAfter) {
    Fail(failures, "ok-wrote-file", "OK left no pimbo.ini");
    return;
  }
  Encoding const was = EncodingOf(in.before.bytes), is = EncodingOf(in.after);
  bool const asciiBefore = std::none_of(in.before.bytes.begin(), in.before.bytes.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x80;
  });
  if (in.before.exists && was != is &&
      !(asciiBefore && (is == Encoding::Cp932 || is == Encoding::Utf8))) {
    Fail(failures, "encoding-kept",
         std::string("the file was ") + NameOf(was) + ", is " + NameOf(is));
    return;
  }
  std::string const oldText = in.before.exists ? Text8(in.before.bytes, was) : std::string();
  std::string const newText = Text8(in.after, is);
  std::vector<Line> const oldLines = Classify(oldText), newLines = Classify(newText);
  CheckWellFormed(in, newText, oldLines, newLines, failures);
  if (is == Encoding::Cp932) CheckWholeCharacters(oldLines, newLines, failures);
  CheckUnreadKept(oldLines, newLines, failures);
  CheckOthersKept(oldLines, newLines, failures);
  Loaded const before =
      Load(in.scratchFolder, "before.ini", in.before.exists ? in.before.bytes : "");
  Loaded const after = Load(in.scratchFolder, "after.ini", in.after);
  CheckEditorViewKept(in, before, after, failures);
}

}  // namespace monkey
