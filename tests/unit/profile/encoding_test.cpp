// pimbo.ini in the encodings users' editors write: each reads as its code page 932 twin, is
// saved back in its own encoding, and keeps characters code page 932 has no form for.
// (The host tree keeps literals in UTF-8; code page 932 bytes are spelled as escapes.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_walk.h"
#include "commands.h"
#include "configuration.h"
#include "profile.h"
#include "storage_fault.h"
#include "profile_files.h"
#include "text_encoding.h"

namespace {

// The same file as code page 932 bytes and as UTF-8: names with 0x5C second bytes (表, ソ),
// half-width katakana, a path through a Japanese folder, blanks and quotes.
const char kCp932[] =
    "[settings]\r\nhot key=306\r\ncommand count=2\r\n\r\n[commands]\r\n"
    "command name0=\"\x95\x5C\x8E\xA6 \x83\x5C\x83\x74\x83\x67 \xB1\xB2\xB3\"\r\n"
    "command key0=\"a\"\r\ncommand type0=0\r\n"
    "command exe0=\"C:\\\x83\x74\x83\x48\x83\x8B\x83\x5F\\\x95\x5C.exe\"\r\ncommand file0=\r\n"
    "command name1= \x83\x81\x83\x82 \r\ncommand key1=m\r\ncommand type1=1\r\n"
    "command exe1=1\r\ncommand file1=\"C:\\\x95\x5C\\\"\r\n";
const char kUtf8[] =
    "[settings]\r\nhot key=306\r\ncommand count=2\r\n\r\n[commands]\r\n"
    "command name0=\"表示 ソフト ｱｲｳ\"\r\n"
    "command key0=\"a\"\r\ncommand type0=0\r\n"
    "command exe0=\"C:\\フォルダ\\表.exe\"\r\ncommand file0=\r\n"
    "command name1= メモ \r\ncommand key1=m\r\ncommand type1=1\r\n"
    "command exe1=1\r\ncommand file1=\"C:\\表\\\"\r\n";

// UTF-16 of UTF-8 text (the tests' own small converter, apart from the one under test).
std::u16string Utf16Of(const std::string& utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char b = static_cast<unsigned char>(utf8[i]);
    char32_t c;
    int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<std::size_t>(n);
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

std::string Utf16Bytes(const std::string& utf8, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t u : Utf16Of(utf8)) {
    char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

struct EncodedForm {
  const char* label;
  ProfileEncoding encoding;
  std::string (*make)(const std::string& utf8);
};

const EncodedForm kForms[] = {
    {"UTF-8 with mark", ProfileEncoding::Utf8Bom,
     [](const std::string& t) { return "\xEF\xBB\xBF" + t; }},
    {"UTF-8", ProfileEncoding::Utf8, [](const std::string& t) { return t; }},
    {"UTF-16 LE", ProfileEncoding::Utf16Le,
     [](const std::string& t) { return Utf16Bytes(t, false); }},
    {"UTF-16 BE", ProfileEncoding::Utf16Be,
     [](const std::string& t) { return Utf16Bytes(t, true); }},
};

struct Record {
  std::string name, key, exe, file;
  int type;
  bool operator==(const Record&) const = default;
};

std::vector<Record> Records(const CommandList& list) {
  std::vector<Record> out;
  for (const CommandRecord* r = list.head; r; r = r->next)
    out.push_back(Record{r->name ? r->name : "<null>", r->key ? r->key : "<null>",
                         r->exe ? r->exe : "<null>", r->file ? r->file : "<null>", r->type});
  return out;
}

// What each program reads from bytes: the launcher's one pass and the editor's model.
struct Reading {
  std::vector<Record> launcher;
  std::string hotKey;
  std::vector<Record> editor;
  bool operator==(const Reading&) const = default;
};

Reading Read(const std::string& bytes, TempFolder& folder) {
  Reading reading;
  char hotKey[32];
  SettingText setting{"hot key", hotKey, sizeof hotKey, 0, false};
  CommandList list;
  LoadLauncherProfileFromText(bytes, &setting, 1, &list);
  reading.launcher = Records(list);
  reading.hotKey = setting.found ? hotKey : "<missing>";
  FreeCommandList(&list);
  WriteBytes(folder.File("pimbo.ini"), bytes);
  LoadCommands(folder.File("pimbo.ini").c_str(), &list, CommandReader::Editor);
  reading.editor = Records(list);
  FreeCommandList(&list);
  return reading;
}

class EncodingTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetStorageFault(StorageFault::None);
    ProfileFree();
  }
  std::string Ini() const { return folder_.File("pimbo.ini"); }
  TempFolder folder_;
};

TEST_F(EncodingTest, EveryEncodingReadsAsItsCodePage932Twin) {
  Reading const twin = Read(kCp932, folder_);
  ASSERT_EQ(twin.launcher.size(), 2u);
  EXPECT_EQ(twin.hotKey, "306");
  for (const EncodedForm& form : kForms) {
    SCOPED_TRACE(form.label);
    std::string const bytes = form.make(kUtf8);
    EXPECT_EQ(DetectProfileEncoding(bytes), form.encoding);
    EXPECT_TRUE(Read(bytes, folder_) == twin);
  }
}

TEST_F(EncodingTest, FilesWithoutAMarkAreCodePage932UnlessWhollyUtf8) {
  struct Case {
    std::string bytes;
    ProfileEncoding encoding;
  } const cases[] = {
      /* 0 */ {"", ProfileEncoding::Cp932},
      /* 1 */ {"[settings]\r\nhot key=305\r\n", ProfileEncoding::Cp932},  // ASCII only
      /* 2 */ {kCp932, ProfileEncoding::Cp932},
      /* 3 */ {kUtf8, ProfileEncoding::Utf8},
      // Valid UTF-8 up to one broken sequence at the very end stays code page 932.
      /* 4 */ {std::string(kUtf8) + "k=\xE3\x81", ProfileEncoding::Cp932},
      // Overlong forms and encoded surrogates are no UTF-8.
      /* 5 */ {"k=\xC0\xAF", ProfileEncoding::Cp932},
      /* 6 */ {"k=\xED\xA0\x80", ProfileEncoding::Cp932},
      // Code page 932 bytes that happen to form valid UTF-8 count as UTF-8: the rule's price.
      /* 7 */ {"k=\xE3\x82\xAB", ProfileEncoding::Utf8},
      /* 8 */ {"\xEF\xBB\xBF", ProfileEncoding::Utf8Bom},
      /* 9 */ {"\xFF\xFE", ProfileEncoding::Utf16Le},
      /* 10 */ {"\xFE\xFF", ProfileEncoding::Utf16Be},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(DetectProfileEncoding(cases[i].bytes), cases[i].encoding) << "case " << i;
}

TEST_F(EncodingTest, OddBytesAndBareMarksReadAsTheirTextAlone) {
  Reading const twin = Read(kCp932, folder_);
  // An odd last byte of UTF-16 is no character.
  EXPECT_TRUE(Read(Utf16Bytes(kUtf8, false) + "\x41", folder_) == twin);
  EXPECT_TRUE(Read(Utf16Bytes(kUtf8, true) + "\x41", folder_) == twin);
  // A mark with nothing after it is an empty file, and is saved as one, mark and all.
  struct Bare {
    std::string file, saved;
  } const bares[] = {{"\xEF\xBB\xBF", "\xEF\xBB\xBF"},
                     {"\xFF\xFE", "\xFF\xFE"},
                     {"\xFE\xFF", "\xFE\xFF"},
                     {std::string("\xFF\xFE\x00", 3), "\xFF\xFE"}};
  for (const Bare& bare : bares) {
    WriteBytes(Ini(), bare.file);
    ASSERT_EQ(ProfileLoad(Ini().c_str()), 1);
    EXPECT_EQ(ProfileGetInt("settings", "command count", -7, nullptr), -7);
    ASSERT_EQ(ProfileSave(Ini().c_str()), 1);
    EXPECT_EQ(ReadBytes(Ini()), bare.saved);
    ProfileFree();
  }
}

TEST_F(EncodingTest, SavedFilesKeepTheirEncodingAndASecondSaveChangesNothing) {
  Settings settings{};
  settings.hotKey = 0x0232;
  settings.textColor = 255;
  settings.hideTime = 3;
  settings.x = settings.y = -1;
  CommandRecord added{};
  added.name = const_cast<char*>("\x90\x56\x82\xB5\x82\xA2");  // 新しい
  added.key = const_cast<char*>("n");
  added.exe = const_cast<char*>("C:\\\x95\x5C\\n.exe");
  CommandList list;
  list.head = list.tail = &added;
  list.count = 1;
  for (const EncodedForm& form : kForms) {
    SCOPED_TRACE(form.label);
    WriteBytes(Ini(), form.make(kUtf8));
    ASSERT_EQ(SaveConfiguration(Ini().c_str(), &settings, list), CONFIGURATION_SAVED);
    std::string const first = ReadBytes(Ini());
    EXPECT_EQ(DetectProfileEncoding(first), form.encoding);
    // The file reads back with the new command in Japanese and the settings set.
    Reading const back = Read(first, folder_);
    ASSERT_EQ(back.launcher.size(), 1u);
    EXPECT_EQ(back.launcher[0].name, "\x90\x56\x82\xB5\x82\xA2");
    EXPECT_EQ(back.launcher[0].exe, "C:\\\x95\x5C\\n.exe");
    EXPECT_EQ(back.hotKey, "562");
    // The same save again is a fixed point, byte for byte.
    WriteBytes(Ini(), first);
    ASSERT_EQ(SaveConfiguration(Ini().c_str(), &settings, list), CONFIGURATION_SAVED);
    EXPECT_EQ(ReadBytes(Ini()), first);
    // The CR LF line ends of the text are CR LF in the file's own units.
    std::string const crlf = form.encoding == ProfileEncoding::Utf16Le   ? std::string("\r\0\n\0", 4)
                             : form.encoding == ProfileEncoding::Utf16Be ? std::string("\0\r\0\n", 4)
                                                                         : "\r\n";
    EXPECT_NE(first.find(crlf), std::string::npos);
  }
}

TEST_F(EncodingTest, LinesTheReaderPassesOverSurviveASaveInEveryEncoding) {
  using namespace std::string_literals;
  // In the form a save writes, so that a load and save gives the same bytes back; a character
  // without a code page 932 form stands among them.
  const std::string utf8 =
      "[s]\r\n[開く\r\n=値😀\r\n[]\r\nk=あ\0い\r\n# 注\0釈\r\n\r\n\0残り\r\nz=1"s;
  for (const EncodedForm& form : kForms) {
    SCOPED_TRACE(form.label);
    std::string const bytes = form.make(utf8);
    WriteBytes(Ini(), bytes);
    ASSERT_EQ(ProfileLoad(Ini().c_str()), 1);
    char value[16];
    ProfileGetString("s", "k", "", value, sizeof value, nullptr);
    EXPECT_STREQ(value, "\x82\xA0");  // あ, up to the NUL
    ASSERT_EQ(ProfileSave(Ini().c_str()), 1);
    EXPECT_EQ(ReadBytes(Ini()), bytes);
    ProfileFree();
  }
}

TEST_F(EncodingTest, ACodePage932FileThatWouldReadAsUtf8KeepsItsUnreadLinesInPlace) {
  using namespace std::string_literals;
  // Clearing the section of the only text that was no UTF-8 leaves text that reads as UTF-8: the
  // note keeps the file code page 932, in a section of its own only before the rest after a NUL
  // (as before a header), and a second save changes nothing.
  const std::string note = "# \x95\xB6\x8E\x9A\x83R\x81[\x83h: \x83V\x83t\x83gJIS\r\n";
  const std::string a = "\xE3\x81\x82";  // あ in UTF-8
  struct {
    const char* what;
    std::string in, out;
  } const cases[] = {
      {"the rest after a NUL first", "[s]\r\nk=\x82\xA0\r\n\0"s + a, note + "\r\n\0"s + a},
      {"empty brackets first", "[]\r\n[s]\r\nk=\x82\xA0\r\n[t]\r\nu=" + a + "\r\n",
       note + "[]\r\n\r\n[t]\r\nu=" + a + "\r\n\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(Ini(), c.in);
    ASSERT_EQ(ProfileLoad(Ini().c_str()), 1);
    ASSERT_EQ(ProfileSetString("s", nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(ProfileSave(Ini().c_str()), 1);
    ProfileFree();
    std::string const saved = ReadBytes(Ini());
    EXPECT_EQ(saved, c.out);
    EXPECT_EQ(DetectProfileEncoding(saved), ProfileEncoding::Cp932);
    EXPECT_EQ(Normalise(saved), saved);
  }
}

TEST_F(EncodingTest, FreshFileKeepsTheLayoutOfSettingsThenCommands) {
  Settings settings{};
  settings.hotKey = 305;
  settings.textColor = 0;
  settings.backgroundColor = 16777215;
  settings.x = settings.y = -1;
  settings.hideTime = 2;
  CommandRecord one{};
  one.name = const_cast<char*>("n");
  one.key = const_cast<char*>("k");
  CommandList list;
  list.head = list.tail = &one;
  list.count = 1;
  ASSERT_EQ(SaveConfiguration(Ini().c_str(), &settings, list), CONFIGURATION_SAVED);
  EXPECT_EQ(ReadBytes(Ini()),
            "[settings]\r\nhot key=305\r\nFGColor=0\r\nBGColor=16777215\r\nXPOINT=-1\r\n"
            "YPOINT=-1\r\nHIDE TIME=2\r\nNoTray=0\r\ncommand count=1\r\n\r\n"
            "[commands]\r\ncommand name0=\"n\"\r\ncommand key0=\"k\"\r\ncommand type0=0\r\n"
            "command exe0=\r\ncommand file0=\r\n\r\n");
  // A failed replace leaves the file as it was, settings included: one step, not two.
  std::string const before = ReadBytes(Ini());
  settings.hotKey = 0x0233;
  SetStorageFault(StorageFault::Replace);
  EXPECT_EQ(SaveConfiguration(Ini().c_str(), &settings, list), CONFIGURATION_NOT_SAVED);
  EXPECT_EQ(ReadBytes(Ini()), before);
}

// An emoji and a Korean name have no code page 932 form; ¥ has only a look-alike (the path
// separator) that must never be taken; broken UTF-8 after a mark is no character at all.
TEST_F(EncodingTest, CharactersWithoutAFormSurviveASaveAsTheyWere) {
  std::string const file =
      "\xEF\xBB\xBF"
      "# 😀 note\r\n\r\n[settings]\r\ncommand count=1\r\n\r\n[commands]\r\n"
      "command name0=\"한국 \xE2\x82\xAC¥ \xFF\"\r\ncommand key0=\"k\"\r\n"
      "command type0=0\r\ncommand exe0=\"C:\\a¥b\\x.exe\"\r\n"
      "command file0=\"\xEE\x80\x80\"\r\n\r\n";  // U+E000: the file's own, no stand-in
  WriteBytes(Ini(), file);
  Settings defaults{};
  Settings settings{};
  CommandList list;
  ConfigurationFile report;
  LoadConfiguration(Ini().c_str(), defaults, &settings, &list, &report);
  EXPECT_EQ(report.encoding, ProfileEncoding::Utf8Bom);
  EXPECT_TRUE(report.complete);
  EXPECT_EQ(report.keptCharacters, 6u);  // 😀 한 국 € ¥ and the broken byte
  ASSERT_NE(list.head, nullptr);
  std::string const name = list.head->name;
  // Stand-ins are user-defined characters in order, from the first whose second byte is not
  // ASCII (0xF080, U+E03F).
  EXPECT_EQ(name.find('\\'), std::string::npos);
  EXPECT_EQ(name.substr(0, 2), "\xF0\x81");  // after 😀 of the comment
  EXPECT_EQ(std::string(list.head->file), "\xF0\x40");
  EXPECT_EQ(std::string(list.head->exe).find("\\x.exe"), 7u);  // one stand-in for ¥
  // Saved unchanged, the file keeps every byte.
  EXPECT_EQ(SaveConfiguration(Ini().c_str(), nullptr, list), CONFIGURATION_SAVED);
  EXPECT_EQ(ReadBytes(Ini()), file);
  FreeCommandList(&list);
}

TEST_F(EncodingTest, MoreCharactersWithoutAFormThanStandInsAreNeverSaved) {
  // 2,000 distinct Hangul syllables: more than the 1,250 stand-ins.
  std::string text = "[s]\r\nk=";
  for (char32_t c = 0xAC00; c < 0xAC00 + 2000; ++c) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
  text += "\r\n";
  WriteBytes(Ini(), text);
  Settings settings{};
  ConfigurationFile report;
  CommandList list;
  LoadConfiguration(Ini().c_str(), settings, &settings, &list, &report);
  EXPECT_FALSE(report.complete);
  EXPECT_EQ(SaveConfiguration(Ini().c_str(), &settings, list), CONFIGURATION_WOULD_LOSE);
  EXPECT_EQ(ReadBytes(Ini()), text);
}

}  // namespace
