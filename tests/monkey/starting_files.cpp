// The files a run starts from: a user's ordinary files, none at all, a long list, and the
// damaged and foreign ones that a hand editor, another tool or a broken disk leave behind.
#include <string>
#include <vector>

#include "hostile_bytes.h"  // PseudoRandomBytes
#include "monkey.h"

namespace monkey {
namespace {

std::string Lines(std::vector<std::string> const& lines, char const* end = "\r\n") {
  std::string text;
  for (std::string const& line : lines) text += line + end;
  return text;
}

// Command i of an ordinary list, of every type in turn.
std::vector<std::string> Command(int i) {
  std::string const n = std::to_string(i);
  static char const* const exes[] = {
      "\"C:\\Windows\\notepad.exe\"", "\"1\"", "\"3\"", "", "\"2\"", "", ""};
  static char const* const files[] = {"\"memo.txt\"",      "\"C:\\表\\ソフト\"", "", "", "", "",
                                      "\"新しいフォルダ\""};
  int const type = i % 7;
  // Every third name is wider than the name field, as a Modify then shows it.
  std::string const name =
      "コマンド " + n +
      (i % 3 == 2 ? " とても長い名前の予定表とその説明、さらに続く説明文" : " 予定表");
  return {"command name" + n + "=\"" + name + "\"", "command key" + n + "=\"k" + n + "\"",
          "command type" + n + "=" + std::to_string(type), "command exe" + n + "=" + exes[type],
          "command file" + n + "=" + files[type]};
}

std::string Ordinary(int commands, std::vector<std::string> extraSettings = {},
                     std::vector<std::string> extraCommands = {}) {
  std::vector<std::string> lines = {"# 自分用の設定",  "[settings]",
                                    "hot key=1601",    "FGColor=16777215",
                                    "BGColor=8388608", "XPOINT=100",
                                    "YPOINT=200",      "HIDE TIME=3",
                                    "NoTray=0",        "command count=" + std::to_string(commands)};
  lines.insert(lines.end(), extraSettings.begin(), extraSettings.end());
  lines.push_back("");
  lines.push_back("[commands]");
  for (int i = 0; i < commands; ++i) {
    for (std::string& line : Command(i)) lines.push_back(std::move(line));
  }
  lines.insert(lines.end(), extraCommands.begin(), extraCommands.end());
  lines.push_back("");
  lines.push_back("[other tool]");
  lines.push_back("# kept by another program");
  lines.push_back("window=120,80");
  lines.push_back("名前=値 with blanks  ");
  return Lines(lines);
}

std::wstring Wide(std::string const& cp932) {
  int n = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), wide.data(), n);
  return wide;
}

std::string Utf8(std::string const& cp932) { return Utf8OfWide(Wide(cp932)); }

std::string Utf16(std::string const& cp932, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t ch : Wide(cp932)) {
    char low = static_cast<char>(ch & 0xFF), high = static_cast<char>((ch >> 8) & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

std::string Repeat(std::string const& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// Lines that the reader passes over: a header without its closing bracket, a header with text
// after it, empty brackets, a line that starts with "=".
std::vector<std::string> const UNREAD_LINES = {"[unclosed header", "[tail] after the bracket", "[]",
                                               "=value without a name"};

using Maker = StartingFile (*)(std::uint64_t seed);

StartingFile const NAMED[] = {
    {"ordinary", true, Ordinary(6)},
    {"empty", true, ""},
    {"none", false, ""},
};

std::vector<std::pair<char const*, Maker>> const MAKERS = {
    {"ordinary", [](std::uint64_t) { return NAMED[0]; }},
    {"empty", [](std::uint64_t) { return NAMED[1]; }},
    {"none", [](std::uint64_t) { return NAMED[2]; }},
    {"1000 commands", [](std::uint64_t) { return StartingFile{"", true, Ordinary(1000)}; }},
    {"garbage", [](std::uint64_t seed) {
       return StartingFile{"", true, PseudoRandomBytes(static_cast<unsigned>(seed >> 8), 3000)};
     }},
    {"garbage after a good start", [](std::uint64_t seed) {
       return StartingFile{"", true, Ordinary(3) + PseudoRandomBytes(static_cast<unsigned>(seed >> 8), 800)};
     }},
    {"NUL bytes", [](std::uint64_t) {
       std::string text = Ordinary(3);
       text += std::string("[nul tool]\r\nkey=before") + '\0' + "after the NUL\r\n";
       text += std::string("# a comment") + '\0' + "with a NUL\r\n";
       text += std::string(1, '\0') + "a line that starts with NUL\r\n";
       text += "[after nul]\r\nkept=after the NUL line\r\n# comment after the NUL line\r\n";
       return StartingFile{"", true, text};
     }},
    {"long lines", [](std::uint64_t) {
       // 200 double-byte characters: byte 255 is the lead byte of the 128th.
       std::string const longName = Repeat("あ", 200);
       std::vector<std::string> extra = {
           "command name3=" + longName, "command key3=\"" + Repeat("x", 40) + "\"",
           "command type3=0", "command exe3=\"C:\\" + Repeat("長い", 150) + ".exe\"",
           "command file3=\"" + Repeat("f", 1100) + "\"",
           "command name4=\"a" + Repeat("あ", 200) + "\"", "command key4=long",
           "command type4=6", "command exe4=", "command file4=\"" + Repeat("表", 140) + "\""};
       std::string text = Ordinary(3, {}, extra);
       std::string::size_type at = text.find("command count=3");
       text.replace(at, 15, "command count=5");
       text += "[long]\r\n" + Repeat("k", 300) + "=" + Repeat("v", 5000) + "\r\n#" +
               Repeat("コメント", 600) + "\r\n";
       return StartingFile{"", true, text};
     }},
    {"huge count", [](std::uint64_t) {
       std::string text = Ordinary(3);
       text.replace(text.find("command count=3"), 15, "command count=2147483647");
       return StartingFile{"", true, text};
     }},
    {"bad types and numbers", [](std::uint64_t) {
       std::vector<std::string> lines = {
           "[settings]", "hot key=0x0131", "FGColor=-1", "BGColor=abc", "XPOINT=99999999999",
           "YPOINT=-5", "HIDE TIME=9", "NoTray=7", "command count=5", "[commands]"};
       char const* types[] = {"-1", "99", "abc", "7", ""};
       for (int i = 0; i < 5; ++i) {
         std::string n = std::to_string(i);
         lines.push_back("command name" + n + "=bad " + n);
         lines.push_back("command key" + n + "=b" + n);
         lines.push_back("command type" + n + "=" + types[i]);
         lines.push_back("command exe" + n + "=\"9\"");
         lines.push_back("command file" + n + "=");
       }
       return StartingFile{"", true, Lines(lines)};
     }},
    {"duplicates", [](std::uint64_t) {
       std::string text = Ordinary(3, {"hot key=999", "extra setting=kept"},
                                  {"command name1=\"second name1\"", "command key0=\"k1\""});
       text += "[settings]\r\nHIDE TIME=0\r\n[commands]\r\ncommand name2=\"in a second section\"\r\n"
               "[other tool]\r\nwindow=second\r\n";
       return StartingFile{"", true, text};
     }},
    {"odd line ends", [](std::uint64_t) {
       std::string text = Lines({"[settings]", "hot key=305", "command count=2"}, "\n");
       text += "[commands]\rcommand name0=\"cr only\"\rcommand key0=cr\rcommand type0=5\r";
       text += "command exe0=\r\n\ncommand file0=\n\rcommand name1=lf\ncommand key1=lf\n";
       text += "command type1=3\ncommand exe1=\ncommand file1=\n";
       text += Lines(UNREAD_LINES, "\r\n");
       text += "  [indented]=header-like key\r\n;semicolon line\r\n #blank then hash=1\r\n";
       text += "[tail section]\nlast=no line end";
       return StartingFile{"", true, text};
     }},
    {"unread lines", [](std::uint64_t) {
       std::string text = Ordinary(2);
       std::string::size_type at = text.find("[commands]");
       text.insert(at, Lines(UNREAD_LINES));
       text += Lines(UNREAD_LINES);
       return StartingFile{"", true, text};
     }},
    {"UTF-8 with mark", [](std::uint64_t) {
       return StartingFile{"", true, "\xEF\xBB\xBF" + Utf8(Ordinary(3)) +
                                         "[emoji]\r\nsmile=\xF0\x9F\x98\x80 \xED\x95\x9C\r\n"};
     }},
    {"UTF-8 without mark", [](std::uint64_t) {
       return StartingFile{"", true, Utf8(Ordinary(4))};
     }},
    {"UTF-16 LE", [](std::uint64_t) { return StartingFile{"", true, Utf16(Ordinary(3), false)}; }},
    {"UTF-16 BE", [](std::uint64_t) { return StartingFile{"", true, Utf16(Ordinary(3), true)}; }},
};

}  // namespace

std::string Utf8OfWide(std::wstring const& wide) {
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                        nullptr, nullptr);
  }
  return text;
}

std::size_t StartingFileCount() { return MAKERS.size(); }

StartingFile MakeStartingFile(std::uint64_t runSeed) {
  auto const& [name, make] = MAKERS[(runSeed & 0xFF) % MAKERS.size()];
  StartingFile file = make(runSeed);
  file.name = name;
  return file;
}

}  // namespace monkey
