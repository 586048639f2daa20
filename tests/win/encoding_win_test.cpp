// pimbo.ini in UTF-8 and UTF-16 on Windows: the system's code page 932 converters give the same
// text as a code page 932 file, never a look-alike, and the stand-ins of characters without a
// form are the user-defined characters that the system converts them to and from.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "command_walk.h"
#include "commands.h"
#include "configuration.h"
#include "platform.h"
#include "profile.h"
#include "text_encoding.h"
#include "test_files.h"

namespace {

// The configuration in UTF-16: 表 and ソ end in 0x5C in code page 932, ｱｲｳ are half-width.
const char16_t kText[] =
    u"[settings]\r\nhot key=306\r\ncommand count=2\r\n\r\n[commands]\r\n"
    u"command name0=\"表示 ソフト ｱｲｳ\"\r\ncommand key0=\"a\"\r\ncommand type0=0\r\n"
    u"command exe0=\"C:\\フォルダ\\表.exe\"\r\ncommand file0=\r\n"
    u"command name1=メモ\r\ncommand key1=m\r\ncommand type1=1\r\n"
    u"command exe1=1\r\ncommand file1=\"C:\\表\\\"\r\n\r\n";

std::string Narrow(UINT codePage, const std::u16string& text) {
  auto const* wide = reinterpret_cast<const wchar_t*>(text.data());
  int const size = WideCharToMultiByte(codePage, 0, wide, static_cast<int>(text.size()), nullptr,
                                       0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, wide, static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::string Utf16Bytes(const std::u16string& text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    char const high = static_cast<char>(unit >> 8);
    char const low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return out;
}

struct Form {
  const char* label;
  std::string bytes;
};

std::vector<Form> Forms() {
  std::u16string const text(kText);
  std::string const utf8 = Narrow(CP_UTF8, text);
  return {{"code page 932", Narrow(932, text)},
          {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8},
          {"UTF-8", utf8},
          {"UTF-16 LE", Utf16Bytes(text, false)},
          {"UTF-16 BE", Utf16Bytes(text, true)}};
}

// Names, keys, exe and file texts of the records, head to tail, with "|" between.
std::string Texts(const CommandList& list) {
  std::string out;
  for (const CommandRecord* r = list.head; r; r = r->next) {
    for (const char* text : {r->name, r->key, r->exe, r->file}) out += text ? text : "<null>";
    out += "|" + std::to_string(r->type) + "|";
  }
  return out;
}

TEST(EncodingWinTest, EveryEncodingReadsAsCodePage932InBothPrograms) {
  TempFolder folder;
  std::string const ini = folder.File("pimbo.ini");
  std::string expectedLauncher;
  std::string expectedEditor;
  for (const Form& form : Forms()) {
    SCOPED_TRACE(form.label);
    ASSERT_TRUE(WriteBytes(ini, form.bytes));
    CommandList launcher;
    char hotKey[32];
    SettingText setting{KEY_HOT_KEY, hotKey, sizeof hotKey, 0, false};
    LoadLauncherProfile(ini.c_str(), &setting, 1, &launcher);
    EXPECT_STREQ(hotKey, "306");
    CommandList editor;
    Settings settings{};
    LoadConfiguration(ini.c_str(), settings, &settings, &editor, nullptr);
    EXPECT_EQ(settings.hotKey, 306);
    // The first form, code page 932, is the twin that every other form must read as.
    if (expectedLauncher.empty()) {
      expectedLauncher = Texts(launcher);
      expectedEditor = Texts(editor);
    }
    EXPECT_EQ(Texts(launcher), expectedLauncher);
    EXPECT_EQ(Texts(editor), expectedEditor);
    // A Japanese name in the bytes of code page 932 (表 = 0x95 0x5C).
    ASSERT_NE(editor.head, nullptr);
    EXPECT_EQ(std::string(editor.head->name, 2), "\x95\x5C");
    FreeCommandList(&launcher);
    FreeCommandList(&editor);
  }
}

TEST(EncodingWinTest, SavedFilesAreTheirOwnEncodingByteForByte) {
  TempFolder folder;
  std::string const ini = folder.File("pimbo.ini");
  for (const Form& form : Forms()) {
    SCOPED_TRACE(form.label);
    // The text above is what a save of it writes: loading and saving changes no byte.
    ASSERT_TRUE(WriteBytes(ini, form.bytes));
    ASSERT_EQ(ProfileLoad(ini.c_str()), 1);
    ASSERT_EQ(ProfileSave(ini.c_str()), 1);
    ProfileFree();
    EXPECT_EQ(ReadBytes(ini), form.bytes);
  }
}

// The system's converter takes look-alikes unless told not to: ¥ (U+00A5) to the path
// separator, 〜 (U+301C) to ～. Neither may pass for a character of code page 932.
TEST(EncodingWinTest, OnlyExactFormsAreTaken) {
  struct Case {
    std::u16string units;
    bool exact;
  } const cases[] = {
      {u"表ソｱ", true}, {u"\u00A5", false}, {u"\u301C", false}, {u"😀", false},
      {u"한", false},   {u"\uE000", true},  {u"\xD800", false},
  };
  for (const Case& c : cases) {
    std::string out = "x";
    EXPECT_EQ(PlatformUtf16ToCp932(c.units.data(), c.units.size(), &out), c.exact)
        << "unit " << std::hex << static_cast<unsigned>(c.units[0]);
    if (!c.exact) {
      EXPECT_EQ(out, "x");
    }
  }
}

// Stand-ins must be what the edit controls and list rows of the editor pass through code page
// 932 unchanged: the user-defined area, lead bytes 0xF0-0xF9, as the system maps it.
TEST(EncodingWinTest, StandInsAreTheSystemsUserDefinedCharacters) {
  for (char16_t code = STAND_IN_FIRST; code <= STAND_IN_LAST; ++code) {
    std::string mine;
    AppendStandIn(code, &mine);
    std::u16string const unit(1, code);
    std::string system;
    unsigned const number = code;
    ASSERT_TRUE(PlatformUtf16ToCp932(unit.data(), 1, &system)) << std::hex << number;
    ASSERT_EQ(mine, system) << std::hex << number;
    std::u16string back;
    ASSERT_TRUE(PlatformCp932ToUtf16(mine.data(), mine.size(), &back));
    ASSERT_TRUE(back == unit) << std::hex << number;
  }
}

TEST(EncodingWinTest, CharactersWithoutAFormAreKeptThroughTheEditorsSave) {
  TempFolder folder;
  std::string const ini = folder.File("pimbo.ini");
  std::string const bytes = Narrow(CP_UTF8, u"# 😀\r\n\r\n[settings]\r\ncommand count=1\r\n\r\n"
                                            u"[commands]\r\ncommand name0=\"한국 ¥\"\r\n"
                                            u"command key0=\"k\"\r\ncommand type0=0\r\n"
                                            u"command exe0=\r\ncommand file0=\r\n\r\n");
  ASSERT_TRUE(WriteBytes(ini, bytes));
  Settings settings{};
  CommandList list;
  ConfigurationFile report;
  LoadConfiguration(ini.c_str(), settings, &settings, &list, &report);
  EXPECT_EQ(report.keptCharacters, 4u);
  ASSERT_NE(list.head, nullptr);
  EXPECT_EQ(std::string(list.head->name).find('\\'), std::string::npos);
  EXPECT_EQ(SaveConfiguration(ini.c_str(), nullptr, list), CONFIGURATION_SAVED);
  FreeCommandList(&list);
  EXPECT_EQ(ReadBytes(ini), bytes);
}

}  // namespace
