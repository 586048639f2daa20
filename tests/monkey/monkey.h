// The random-input test of the settings editor: random actions of every kind on both of its
// dialogs, from a set of starting files, each run chosen by a seed that is printed, and after
// each run the checks of what a user may rely on (the program ended well, the launcher was
// started once, pimbo.ini kept what the run did not change).
//
// A run is its seed alone: the seed picks the starting file, the list of actions and how the
// run ends; every action is drawn before the run starts, so any sub-list of it can be played
// again (which is how a failing run is shrunk, see main.cpp).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace monkey {

// splitmix64: the same numbers from the same seed on every build, which the standard library's
// distributions do not promise.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  // A number below n (n > 0).
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }
  bool OneIn(std::uint32_t n) { return Below(n) == 0; }

 private:
  std::uint64_t state_;
};

// The seed of run number index of the session with seed sessionSeed. Its low byte picks the
// starting file, so that consecutive runs of a session go through all of them.
std::uint64_t RunSeed(std::uint64_t sessionSeed, unsigned index);

// ---------------------------------------------------------------------------------------------
// Starting files (starting_files.cpp)

struct StartingFile {
  std::string name;
  bool exists = true;  // false: the run starts without pimbo.ini
  std::string bytes;
};
std::size_t StartingFileCount();
StartingFile MakeStartingFile(std::uint64_t runSeed);

// ---------------------------------------------------------------------------------------------
// Actions (actions.cpp)

enum class ActionKind {
  Click,         // a click at a point of the dialog in front (a, b: where, in thousandths)
  DoubleClick,   // the same, twice
  Key,           // a key (a) with modifiers (b)
  Type,          // text, typed character by character as a keyboard's input method sends it
                 // (in the command dialog mostly at the start or end of the name or key)
  Paste,         // text put on the clipboard, then Ctrl+V
  SelectRows,    // a selection of the command list (a: how many, b, c: which)
  HeaderClick,   // a click on a column title of the command list (a: which)
  Button,        // a press of one of the enabled buttons of the dialog in front (a: which)
  Combo,         // a choice in one of the combo boxes of the dialog in front (a: which, b: entry)
  DragPosition,  // the position picture dragged to a point of the screen (a, b)
  DragPick,      // the window-pick icon dragged onto a window or a point (a: where)
  Drop,          // files, folders and shortcuts dropped on the dialog in front (a, b, c: which)
};

struct Action {
  ActionKind kind = ActionKind::Click;
  std::uint32_t a = 0, b = 0, c = 0;
  std::string text;  // Type and Paste: code page 932 bytes
};

// The actions of a run, drawn from its seed.
std::vector<Action> DrawActions(std::uint64_t runSeed);
// The key and modifiers (MOD_*) of a Key action, and its name ("Alt+N").
void KeyOf(Action const& action, WORD* vk, UINT* modifiers, std::string* name);
// The text for a message: printable ASCII but the backslash as it is, every other byte as \xNN,
// so that any console shows it and a reader can find the bytes in the file; cut after most bytes.
// The UTF-8 form of UTF-16 text.
std::string Utf8OfWide(std::wstring const& wide);

std::string Printable(std::string const& text, std::size_t most = 80);
// One line that says what the action does, for the printed list.
std::string Describe(Action const& action);

// ---------------------------------------------------------------------------------------------
// One run (run.cpp) and the checks of the file (file_checks.cpp)

// How the settings dialog ended.
enum class Ending {
  Ok,        // the driver pressed OK after the actions
  Cancel,    // the driver pressed Cancel after the actions
  ByAction,  // one of the random actions ended it (a key, a click on OK, Cancel or the close box)
};

// What the actions may have changed, as far as the driver can tell; each flag errs towards
// "changed", so that a check never blames the editor for what the run did.
struct Touched {
  bool hotKey = false, colours = false, position = false, hideTime = false, noTray = false;
  int rowsRemoved = 0;    // the sum of every drop of the command list's row count
  int editDialogs = 0;    // command dialogs opened (each may have changed one command)
  int lastRowCount = -1;  // the command list's rows when the dialog ended (-1: not known)
};

struct Failure {
  std::string check;  // the name of the check, e.g. "exit-code"
  std::string detail;
};

struct RunOutcome {
  std::vector<Failure> failures;
  int actionsDone = 0;
};

// Plays the actions (all, or those whose index is in only when only is not null) of the run
// with this seed and checks what came of it. log: print each action as it is played.
RunOutcome PlayRun(std::uint64_t runSeed, std::vector<Action> const& actions,
                   std::vector<int> const* only, bool log);

// The checks of pimbo.ini after the editor ended (the program's own checks are in run.cpp).
struct FileCheckInput {
  StartingFile before;
  bool existsAfter = false;
  std::string after;
  Ending ending = Ending::Cancel;
  bool notSaved = false;  // the editor said it would not save (characters it cannot keep)
  Touched touched;
  std::string scratchFolder;  // a folder for copies of the two texts
};
void CheckFile(FileCheckInput const& input, std::vector<Failure>* failures);

}  // namespace monkey
