// End-to-end tests of pimbo.ini in the encodings that users' text editors leave it in: code page
// 932, UTF-8 with and without a mark, UTF-16 in both byte orders. The launcher takes its hot key
// and commands from each; the editor shows them and saves back in the file's own encoding, the
// second save changing nothing; characters that code page 932 has no form for survive a save.
#include "command_edit_fixture.h"  // CommandEditTest, and through its includes CommandTest

#include <optional>

namespace {

enum class Encoding { Cp932, Utf8Bom, Utf8, Utf16Le, Utf16Be };

struct EncodingCase {
  const char* name;
  Encoding encoding;
  const char* mark;  // the bytes the file starts with
};

EncodingCase const ENCODINGS[] = {
    {"Cp932", Encoding::Cp932, ""},
    {"Utf8WithMark", Encoding::Utf8Bom, "\xEF\xBB\xBF"},
    {"Utf8WithoutMark", Encoding::Utf8, ""},
    {"Utf16LittleEndian", Encoding::Utf16Le, "\xFF\xFE"},
    {"Utf16BigEndian", Encoding::Utf16Be, "\xFE\xFF"},
};

std::string CaseName(::testing::TestParamInfo<EncodingCase> const& info) {
  return info.param.name;
}
void PrintTo(EncodingCase const& c, std::ostream* out) { *out << c.name; }

// Text in a code page, strictly: nullopt when bytes are not valid in it.
std::optional<std::wstring> Wide(std::string const& bytes, UINT codePage) {
  if (bytes.empty()) return std::wstring();
  int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                              static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                      static_cast<int>(bytes.size()), text.data(), n);
  return text;
}

// Text in a code page; nullopt when some character has no form there.
std::optional<std::string> Narrow(std::wstring const& text, UINT codePage) {
  if (text.empty()) return std::string();
  BOOL lost = FALSE;
  BOOL* lostFlag = codePage == CP_UTF8 ? nullptr : &lost;  // UTF-8 takes no such flag
  DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  int n = WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()),
                              nullptr, 0, nullptr, lostFlag);
  if (n <= 0 || lost) return std::nullopt;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), bytes.data(),
                      n, nullptr, nullptr);
  return bytes;
}

bool StartsWith(std::string const& bytes, std::string const& head) {
  return bytes.compare(0, head.size(), head) == 0;
}

// The bytes of a file that holds text in the case's encoding, mark first.
std::string FileBytes(std::wstring const& text, EncodingCase const& c) {
  std::string bytes = c.mark;
  switch (c.encoding) {
    case Encoding::Cp932:
      return bytes + Narrow(text, 932).value_or("");
    case Encoding::Utf8Bom:
    case Encoding::Utf8:
      return bytes + Narrow(text, CP_UTF8).value_or("");
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
      for (wchar_t unit : text) {
        char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += c.encoding == Encoding::Utf16Le ? std::string{low, high} : std::string{high, low};
      }
      return bytes;
  }
  return bytes;
}

// The text of a file's bytes read in the case's encoding; nullopt when the file does not start
// with exactly the case's mark or its bytes are not valid in the encoding.
std::optional<std::wstring> FileText(std::string const& bytes, EncodingCase const& c) {
  for (const char* mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
    if (StartsWith(bytes, mark) && std::string(mark) != c.mark) return std::nullopt;
  }
  if (!StartsWith(bytes, c.mark)) return std::nullopt;
  std::string body = bytes.substr(std::string(c.mark).size());
  switch (c.encoding) {
    case Encoding::Cp932:
      return Wide(body, 932);
    case Encoding::Utf8Bom:
    case Encoding::Utf8:
      return Wide(body, CP_UTF8);
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
      if (body.size() % 2 != 0) return std::nullopt;
      std::wstring text;
      for (size_t i = 0; i < body.size(); i += 2) {
        unsigned char first = static_cast<unsigned char>(body[i]);
        unsigned char second = static_cast<unsigned char>(body[i + 1]);
        text += static_cast<wchar_t>(c.encoding == Encoding::Utf16Le ? first | second << 8
                                                                       : first << 8 | second);
      }
      return text;
    }
  }
  return std::nullopt;
}

// The file's text in code page 932 (as the programs read it), or nullopt as FileText.
std::optional<std::string> Cp932Text(std::string const& bytes, EncodingCase const& c) {
  std::optional<std::wstring> text = FileText(bytes, c);
  return text ? Narrow(*text, 932) : std::nullopt;
}

// The same configuration in every encoding: a comment, Alt+2 (306) as the hot key and two
// commands whose texts hold 0x5C trail bytes (予, 表, ソ, 能, 十), which a reader that took
// them for backslashes would cut or join wrongly.
std::vector<CommandEntry> Commands(std::string const& program) {
  return {{"予定表ソフト", "hy", CMD_APP, program, "能力.txt"},
          {"十字フォルダ", "jk", CMD_FOLDER, "0", "C:\\ソース表"}};
}
inline constexpr char COMMENT[] = "# 予定表の設定";
std::string Configuration(std::string const& program) {
  return CommandsIni({COMMENT, "hot key=306"}, Commands(program));
}

// --- The launcher ----------------------------------------------------------------------------

class EncodingLauncher : public CommandTest, public ::testing::WithParamInterface<EncodingCase> {};

// True when some program holds the hot key, so that this thread cannot register it.
bool HotKeyTaken(UINT modifiers, UINT vk) {
  int const id = 0x2E0E;
  if (!RegisterHotKey(nullptr, id, modifiers, vk)) return true;
  UnregisterHotKey(nullptr, id);
  return false;
}

// 予定表 begins and ends with a 0x5C trail byte: the program's folder, which the launcher
// cuts from its path, must end at the real backslash.
TEST_P(EncodingLauncher, TakesTheHotKeyAndRunsAProgramFromAJapaneseFolder) {
  ASSERT_TRUE(CreateDirectoryA(folder_->PathOf("予定表").c_str(), nullptr));
  ASSERT_TRUE(folder_->InstallProbe("予定表\\probe.exe")) << "could not copy " << e2e::ProbeExe();
  std::string const program = folder_->PathOf("予定表\\probe.exe");
  std::wstring const text = Wide(Configuration(program), 932).value_or(L"");
  ASSERT_FALSE(text.empty());
  ASSERT_NO_FATAL_FAILURE(Start(FileBytes(text, GetParam())));

  // The hot key is the file's Alt+2, not the default Alt+1.
  EXPECT_TRUE(HotKeyTaken(MOD_ALT, '2')) << "expected Alt+2 held by the launcher";
  EXPECT_FALSE(HotKeyTaken(MOD_ALT, '1')) << "expected Alt+1 left free";
  ASSERT_NO_FATAL_FAILURE(ShowForTyping(MOD_ALT, '2'));

  ASSERT_TRUE(e2e::TypeText("hy"));
  std::string const log = folder_->PathOf("予定表\\probe.log");
  ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::ReadProbeLog(log).empty(); }))
      << "expected the program in the Japanese folder to be started";
  e2e::ProbeRecord const record = e2e::ReadProbeLog(log)[0];
  EXPECT_TRUE(e2e::SameText(record.module, program)) << record.module;
  EXPECT_TRUE(e2e::SameText(record.workDir, folder_->PathOf("予定表"))) << record.workDir;
  EXPECT_TRUE(EndsWith(record.commandLine, " 能力.txt"))
      << "expected the parameter whole, got " << record.commandLine;
  ExpectCloseEndsWithZero();
}

INSTANTIATE_TEST_SUITE_P(Files, EncodingLauncher, ::testing::ValuesIn(ENCODINGS), CaseName);

// --- The editor ------------------------------------------------------------------------------

// Lines of text equal to line (ASCII case ignored).
int CountLines(std::string const& text, std::string const& line) {
  int count = 0;
  for (size_t at = 0; at <= text.size();) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    count += e2e::SameText(text.substr(at, end - at), line);
    at = end + 2;
  }
  return count;
}

// True when every line ends with CR LF: no lone CR, no lone LF.
bool OnlyCrLf(std::string const& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

// A saved file's text (code page 932): one of each section, the comment, the hot key and the
// commands as they were.
void ExpectConfiguration(std::string const& text, std::vector<CommandEntry> const& commands) {
  EXPECT_EQ(CountLines(text, "[settings]"), 1) << text;
  EXPECT_EQ(CountLines(text, "[commands]"), 1) << text;
  EXPECT_EQ(CountLines(text, COMMENT), 1) << text;
  EXPECT_TRUE(OnlyCrLf(text)) << "expected CR LF line ends";
  EXPECT_EQ(IniValue(text, "settings", "hot key"), "306");
  EXPECT_EQ(IniValue(text, "settings", "command count"), std::to_string(commands.size()));
  for (size_t i = 0; i < commands.size(); ++i) {
    std::string const n = std::to_string(i);
    auto field = [&](const char* stem) {
      return Unquoted(IniValue(text, "commands", stem + n).value_or("(missing)"));
    };
    EXPECT_EQ(field("command name"), commands[i].name);
    EXPECT_EQ(field("command key"), commands[i].key);
    EXPECT_EQ(field("command type"), std::to_string(commands[i].type));
    EXPECT_EQ(field("command exe"), commands[i].exe);
    EXPECT_EQ(field("command file"), commands[i].file);
  }
}

class EncodingEditor : public EditorTest, public ::testing::WithParamInterface<EncodingCase> {};

// The same text with LF line ends, as text editors on other systems leave it.
std::string WithLfOnly(std::string text) {
  for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
  return text;
}

TEST_P(EncodingEditor, ShowsTheCommandsAndSavesInTheSameEncodingToAFixedPoint) {
  std::vector<CommandEntry> const commands = Commands("C:\\予定表\\ソフト.exe");
  std::wstring const text = Wide(WithLfOnly(Configuration(commands[0].exe)), 932).value_or(L"");
  ASSERT_FALSE(text.empty());
  ASSERT_NO_FATAL_FAILURE(Open(FileBytes(text, GetParam())));
  EXPECT_EQ(HotKeyControl(), MAKEWORD('2', HOTKEYF_ALT)) << "expected the file's Alt+2 shown";
  e2e::ListViewState const state = ReadRows();
  ASSERT_EQ(state.rows.size(), commands.size());
  for (size_t i = 0; i < commands.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_EQ(state.rows[i].text[0], commands[i].key);
    EXPECT_EQ(state.rows[i].text[1], commands[i].name);
    EXPECT_EQ(state.rows[i].text[3], commands[i].file);
  }
  EXPECT_TRUE(NoBox()) << "expected no box for a file whose every character has a form";

  EXPECT_EQ(EndWith(IDOK), 0u);
  std::string const saved = Ini();
  std::optional<std::string> const savedText = Cp932Text(saved, GetParam());
  ASSERT_TRUE(savedText) << "expected pimbo.ini saved as " << GetParam().name << ", got "
                         << ::testing::PrintToString(saved.substr(0, 16)) << "...";
  ExpectConfiguration(*savedText, commands);

  // OK once more, without a change: the very same bytes.
  ASSERT_NO_FATAL_FAILURE(StartEditor());
  EXPECT_EQ(EndWith(IDOK), 0u);
  EXPECT_EQ(Ini(), saved) << "expected a second save to leave pimbo.ini byte for byte";
}

INSTANTIATE_TEST_SUITE_P(Files, EncodingEditor, ::testing::ValuesIn(ENCODINGS), CaseName);

// --- Characters without a code page 932 form -------------------------------------------------

// U+1F600 (an emoji) and the Korean word for Korean, in UTF-8.
inline constexpr char EMOJI[] = "\xF0\x9F\x98\x80";
inline constexpr char KOREAN[] = "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4";
// The start of the editor's note about them.
inline constexpr char KEPT_TEXT_START[] = "pimbo.ini には、この画面で表示できない文字";

// The file's lines in UTF-8: the emoji in a comment, the Korean word as a command's name.
std::string const EMOJI_COMMENT = std::string("# smile ") + EMOJI;
std::string const KOREAN_NAME = std::string("\"") + KOREAN + "\"";
std::string KeptCharactersIni() {
  return CommandsIni({EMOJI_COMMENT, "hot key=306"}, {{KOREAN, "ko", CMD_APP, "", "x.txt"}});
}

// True when text is n distinct user-defined characters of code page 932 (lead bytes 0xF0 to
// 0xF9), the stand-ins that the editor shows for characters without a form.
bool DistinctStandIns(std::string const& text, size_t n) {
  if (text.size() != 2 * n) return false;
  std::vector<std::string> seen;
  for (size_t i = 0; i < text.size(); i += 2) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    std::string character = text.substr(i, 2);
    if (lead < 0xF0 || lead > 0xF9) return false;
    for (std::string const& other : seen) {
      if (other == character) return false;
    }
    seen.push_back(character);
  }
  return true;
}

class EncodingKeptCharacters : public CommandEditTest,
                               public ::testing::WithParamInterface<EncodingCase> {
 protected:
  // Starts the editor, which names the characters in one box before its dialog shows; the
  // box dismissed, the dialog and the Korean row.
  void StartPastTheBox() {
    editor_ = e2e::StartEditor(*folder_);
    ASSERT_TRUE(editor_.Started()) << "CreateProcessA failed, error " << editor_.Error();
    HWND box = e2e::WaitForMessageBox(editor_.Id(), "Information");
    ASSERT_TRUE(box) << "expected the box \"Information\" at start, got none";
    std::string const message = e2e::MessageBoxText(box);
    EXPECT_TRUE(StartsWith(message, KEPT_TEXT_START)) << message;
    EXPECT_EQ(e2e::TopLevelWindows(editor_.Id(), "#32770", nullptr, true).size(), 1u)
        << "expected the box alone, before the dialog";
    ASSERT_TRUE(e2e::DismissMessageBox(box));
    ASSERT_NO_FATAL_FAILURE(FindDialog());
    EXPECT_TRUE(NoBox()) << "expected the box once";

    e2e::ListViewState const state = ReadRows();
    ASSERT_EQ(state.rows.size(), 1u);
    EXPECT_TRUE(DistinctStandIns(state.rows[0].text[1], 3))
        << "expected three user-defined characters, got "
        << ::testing::PrintToString(state.rows[0].text[1]);
  }

  // The saved file in UTF-8, once it is the case's encoding; "" when it is not.
  std::string SavedUtf8() const {
    std::optional<std::wstring> const text = FileText(Ini(), GetParam());
    EXPECT_TRUE(text) << "expected pimbo.ini saved as " << GetParam().name;
    return text ? Narrow(*text, CP_UTF8).value_or("") : "";
  }
};

TEST_P(EncodingKeptCharacters, AreNamedOnceAtStartAndWrittenBackAsTheyWere) {
  std::wstring const text = Wide(KeptCharactersIni(), CP_UTF8).value_or(L"");
  ASSERT_FALSE(text.empty());
  ASSERT_NO_FATAL_FAILURE(Layout(FileBytes(text, GetParam())));

  // OK without a change.
  ASSERT_NO_FATAL_FAILURE(StartPastTheBox());
  EXPECT_EQ(EndWith(IDOK), 0u);
  std::string const saved = SavedUtf8();
  EXPECT_EQ(CountLines(saved, "[settings]"), 1) << saved;
  EXPECT_EQ(CountLines(saved, EMOJI_COMMENT), 1) << "expected the emoji kept:\n" << saved;
  EXPECT_EQ(IniValue(saved, "commands", "command name0"), KOREAN_NAME)
      << "expected the Korean name kept";
  EXPECT_EQ(IniValue(saved, "settings", "hot key"), "306");

  // The Korean command's launch key changed in the edit dialog: that key alone changes, and the
  // name the dialog held as stand-ins goes back as it was.
  ASSERT_NO_FATAL_FAILURE(StartPastTheBox());
  ASSERT_NO_FATAL_FAILURE(OpenModify({0}));
  ASSERT_NO_FATAL_FAILURE(SetField(IDC_KEY, "kr"));
  ASSERT_NO_FATAL_FAILURE(Accept());
  EXPECT_EQ(EndWith(IDOK), 0u);
  std::string expected = saved;
  size_t const key = expected.find("command key0=\"ko\"");
  ASSERT_NE(key, std::string::npos) << saved;
  expected.replace(key, 17, "command key0=\"kr\"");
  EXPECT_EQ(SavedUtf8(), expected);
}

// The Unicode encodings: code page 932 itself has no character without a form.
INSTANTIATE_TEST_SUITE_P(Files, EncodingKeptCharacters,
                         ::testing::ValuesIn(std::begin(ENCODINGS) + 1, std::end(ENCODINGS)),
                         CaseName);

}  // namespace
