// End-to-end tests of typing into the launcher: launch keys run their commands, refused
// characters and the keys Down, Tab, Enter, Backspace and Escape, a click on another window,
// keys that reach the hidden window, and when the window hides after a command ("HIDE TIME").
// The probe stands in for every program: it opens no window, so the launcher keeps the
// keyboard focus and hides only when it decides to.
#include <cstdio>

#include "command_fixture.h"

namespace {

// True when the probe was given these parameters: they follow the program on its command line
// (which the shell may or may not quote).
bool EndsWithParameters(e2e::ProbeRecord const& record, std::string const& parameters) {
  return EndsWith(record.commandLine, " " + parameters);
}

class LauncherTyping : public CommandTest {
 protected:
  // Types "a" (which fits "ab"), hides the window by hide, and checks that the text went with
  // it: had the "a" stayed, "b" would make "ab"; from an empty line it runs "b". The refused
  // "z" lists the candidate of "a", which shows that the "a" was taken before the hide.
  template <class Hide>
  void ExpectHidingEmptiesTheText(Hide hide, const char* how) {
    ASSERT_NO_FATAL_FAILURE(Launch({}, {ProbeCommand("ab", "ab"), ProbeCommand("b", "b")}));
    ASSERT_NO_FATAL_FAILURE(ShowForTyping());
    ASSERT_TRUE(e2e::TypeText("az"));
    ASSERT_TRUE(WaitRows(1 + 1)) << "expected \"a\" taken and \"z\" refused, height " << Height();
    ASSERT_TRUE(hide());
    EXPECT_TRUE(e2e::WaitVisible(window_, false)) << "expected " << how << " to hide the window";
    EXPECT_TRUE(AppRecords().empty());

    ExpectTheNextLineStartsEmpty();
  }

  // Shows the window again and types "b" (commands "ab" and "b"): from an empty line it runs
  // "b"; a left-over "a" would make "ab".
  void ExpectTheNextLineStartsEmpty() {
    ASSERT_NO_FATAL_FAILURE(ShowForTyping());
    ASSERT_TRUE(e2e::TypeText("b"));
    ASSERT_TRUE(WaitAppRecords(1)) << "expected \"b\" to run a command";
    EXPECT_TRUE(EndsWithParameters(AppRecords()[0], "b"))
        << "expected the command of \"b\", got " << AppRecords()[0].commandLine;
    ExpectCloseEndsWithZero();
  }
};

TEST_F(LauncherTyping, FullKeyRunsItsCommandAtOnce) {
  ASSERT_NO_FATAL_FAILURE(Launch({}, {ProbeCommand("a", "first"), ProbeCommand("ab", "second")}));
  ASSERT_NO_FATAL_FAILURE(ShowForTyping());

  // Keys are compared case-sensitively: "A" fits no key and, as a first character, lists
  // nothing.
  ASSERT_TRUE(e2e::TypeText("A"));
  EXPECT_TRUE(e2e::StaysFalse([&] { return Height() != RowsHeight(1); }))
      << "expected a refused first character to leave the window one row high";
  EXPECT_TRUE(AppRecords().empty());

  // "a" equals a key: it runs at once although "ab" begins with it too.
  ASSERT_TRUE(e2e::TypeText("a"));
  ASSERT_TRUE(WaitAppRecords(1)) << "expected typing \"a\" to start the probe";
  std::vector<e2e::ProbeRecord> records = AppRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_TRUE(EndsWithParameters(records[0], "first")) << records[0].commandLine;
  ExpectCloseEndsWithZero();
}

TEST_F(LauncherTyping, CandidatesAreListedAndBackspaceShrinksTheList) {
  ASSERT_NO_FATAL_FAILURE(Launch({}, {ProbeCommand("wa", "wa"), ProbeCommand("wb", "wb"),
                                      ProbeCommand("xc", "xc")}));
  ASSERT_NO_FATAL_FAILURE(ShowForTyping());

  // "w" is taken; the refused "z" lists the two commands that "w" still fits.
  ASSERT_TRUE(e2e::TypeText("wz"));
  EXPECT_TRUE(WaitRows(1 + 2)) << "expected the line and 2 candidates, height " << Height();

  ASSERT_TRUE(e2e::PressKey(VK_BACK));
  EXPECT_TRUE(WaitRows(1)) << "expected Backspace to shrink the window, height " << Height();

  // Backspace removed the "w". Typed again, it leaves two candidates: Enter lists them and
  // runs neither.
  ASSERT_TRUE(e2e::TypeText("w"));
  ASSERT_TRUE(e2e::PressKey(VK_RETURN));
  EXPECT_TRUE(WaitRows(1 + 2)) << "expected Enter to list 2 candidates, height " << Height();
  ASSERT_TRUE(e2e::PressKey(VK_BACK));
  EXPECT_TRUE(WaitRows(1)) << "expected Backspace to shrink the window, height " << Height();
  EXPECT_TRUE(AppRecords().empty()) << "expected Enter with two candidates to run nothing";

  // Down on the empty text lists every command.
  ASSERT_TRUE(e2e::PressKey(VK_DOWN));
  EXPECT_TRUE(WaitRows(1 + 3)) << "expected every command listed, height " << Height();
  ASSERT_TRUE(e2e::PressKey(VK_BACK));
  EXPECT_TRUE(WaitRows(1)) << "expected Backspace to shrink the window, height " << Height();

  // The text is empty, so "xc" is typed from the start and runs its command.
  ASSERT_TRUE(e2e::TypeText("xc"));
  ASSERT_TRUE(WaitAppRecords(1)) << "expected typing \"xc\" to start the probe";
  std::vector<e2e::ProbeRecord> records = AppRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_TRUE(EndsWithParameters(records[0], "xc")) << records[0].commandLine;
  ExpectCloseEndsWithZero();
}

TEST_F(LauncherTyping, TabCompletesWithoutRunningAndEnterRuns) {
  ASSERT_NO_FATAL_FAILURE(Launch({}, {ProbeCommand("explorer", "explorer")}));
  ASSERT_NO_FATAL_FAILURE(ShowForTyping());

  ASSERT_TRUE(e2e::TypeText("ex"));
  ASSERT_TRUE(e2e::PressKey(VK_TAB));
  EXPECT_TRUE(AppStaysUnstarted()) << "expected Tab to complete without running the command";
  EXPECT_EQ(Height(), RowsHeight(1)) << "expected Tab to complete, not to list";

  // The text is now "explorer": "p" fits nothing and lists the one command ("exp" would fit).
  ASSERT_TRUE(e2e::TypeText("p"));
  EXPECT_TRUE(WaitRows(1 + 1)) << "expected the completed text to refuse \"p\", height "
                               << Height();
  EXPECT_TRUE(AppRecords().empty());

  ASSERT_TRUE(e2e::PressKey(VK_RETURN));
  ASSERT_TRUE(WaitAppRecords(1)) << "expected Enter to run the only candidate";
  EXPECT_TRUE(EndsWithParameters(AppRecords()[0], "explorer")) << AppRecords()[0].commandLine;
  EXPECT_TRUE(WaitRows(1)) << "expected Enter to shrink the window, height " << Height();
  ExpectCloseEndsWithZero();
}

TEST_F(LauncherTyping, EscapeHidesAndEmptiesTheText) {
  ASSERT_NO_FATAL_FAILURE(
      ExpectHidingEmptiesTheText([] { return e2e::PressKey(VK_ESCAPE); }, "Escape"));
}

TEST_F(LauncherTyping, EnterOnAnEmptyLineRunsTheOnlyCommand) {
  ASSERT_NO_FATAL_FAILURE(Launch({}, {ProbeCommand("solo", "solo")}));
  ASSERT_NO_FATAL_FAILURE(ShowForTyping());

  ASSERT_TRUE(e2e::PressKey(VK_RETURN));
  ASSERT_TRUE(WaitAppRecords(1)) << "expected Enter on the empty line to run the one command";
  EXPECT_TRUE(EndsWithParameters(AppRecords()[0], "solo")) << AppRecords()[0].commandLine;
  ExpectCloseEndsWithZero();
}

TEST_F(LauncherTyping, ClickOnAnotherWindowHidesAndEmptiesTheText) {
  // A window of the test, away from the launcher's (which is centred).
  HWND other = CreateWindowExA(0, "Static", "pimbo e2e other window",
                               WS_POPUP | WS_VISIBLE | WS_BORDER | SS_NOTIFY, 10, 10, 120, 80,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(other);
  // The driver's click lets the cursor settle first: a late echo of an earlier move would
  // otherwise put the press where the pointer was before.
  ASSERT_NO_FATAL_FAILURE(ExpectHidingEmptiesTheText(
      [] { return e2e::ClickAt(POINT{60, 50}); }, "a click on another window"));
  DestroyWindow(other);
}

TEST_F(LauncherTyping, KeysThatReachTheHiddenWindowAreDropped) {
  // Keys still queued when the focus went elsewhere: taken in, "ab" would run unseen, or an
  // "a" would stand before the next line's "b".
  ASSERT_NO_FATAL_FAILURE(Launch({}, {ProbeCommand("ab", "ab"), ProbeCommand("b", "b")}));
  ASSERT_TRUE(PostMessageA(window_, WM_CHAR, 'a', 0));
  ASSERT_TRUE(PostMessageA(window_, WM_CHAR, 'b', 0));
  ASSERT_TRUE(PostMessageA(window_, WM_KEYDOWN, VK_RETURN, 0));
  ASSERT_TRUE(PostMessageA(window_, WM_CHAR, 'a', 0));
  EXPECT_TRUE(AppStaysUnstarted()) << "expected keys that reach the hidden window to run nothing";
  ExpectTheNextLineStartsEmpty();
}

// What a test sees of one launch: when the key was typed and when the window was first seen
// hidden, as GetTickCount64 values, and whether it was seen hidden too early.
struct HideObservation {
  ULONGLONG typedAt = 0;
  ULONGLONG hiddenAt = 0;        // 0: still visible at the end of the watch
  ULONGLONG hiddenTooEarly = 0;  // tick of a hidden observation before earliestHide, or 0
  bool hiddenWhenProbeStarted = false;
};

class HideTimeTest : public CommandTest {
 protected:
  // Starts a launcher with this "HIDE TIME", types the key of the probe's command and watches
  // the window until it hides or watchMs pass. A hidden window seen before earliestHideMs
  // after the key is noted: the tick is taken after IsWindowVisible answers, so a loaded
  // machine can only delay such a finding, never invent it.
  void TypeAndWatch(int hideTime, ULONGLONG earliestHideMs, DWORD watchMs, HideObservation* seen) {
    ASSERT_NO_FATAL_FAILURE(
        Launch({"HIDE TIME=" + std::to_string(hideTime)}, {ProbeCommand("p", "hide")}));
    ASSERT_NO_FATAL_FAILURE(ShowForTyping());
    seen->typedAt = GetTickCount64();
    ASSERT_TRUE(e2e::TypeText("p"));
    bool probeSeen = false;
    e2e::WaitUntil(
        [&] {
          // The log first, the window after: a window hidden before the probe started is
          // then seen hidden, whatever the delays between the two looks.
          if (!probeSeen && !AppRecords().empty()) {
            probeSeen = true;
            seen->hiddenWhenProbeStarted = !IsWindowVisible(window_);
          }
          bool const visible = IsWindowVisible(window_) != 0;
          ULONGLONG const now = GetTickCount64();
          if (visible) return false;
          if (now < seen->typedAt + earliestHideMs && seen->hiddenTooEarly == 0) {
            seen->hiddenTooEarly = now;
          }
          if (seen->hiddenAt == 0) seen->hiddenAt = now;
          return probeSeen;
        },
        watchMs);
    EXPECT_TRUE(probeSeen || WaitAppRecords(1)) << "expected the probe to be started";
  }

  void Finish() {
    ExpectCloseEndsWithZero();
    launcher_ = e2e::Process();
    folder_.reset();
    ASSERT_NO_FATAL_FAILURE(MakeFolder());
  }
};

using LauncherHideTime = HideTimeTest;

// 0 hides before the command runs, 1 right after it: no timer is involved, the window is
// hidden at once. (Which of the two comes first is told apart below.)
TEST_F(LauncherHideTime, AtOnceWithoutTimer) {
  for (int hideTime : {0, 1}) {
    SCOPED_TRACE("HIDE TIME=" + std::to_string(hideTime));
    HideObservation seen;
    ASSERT_NO_FATAL_FAILURE(TypeAndWatch(hideTime, 0, e2e::WAIT_MS, &seen));
    ASSERT_NE(seen.hiddenAt, 0u) << "expected the window hidden";
    // Well before the shortest timer (1000 ms), however loaded the machine.
    EXPECT_LT(seen.hiddenAt - seen.typedAt, 900u) << "expected the window hidden at once";
    if (hideTime == 0) {
      // Hidden before the program is started, so a started probe always finds it hidden.
      EXPECT_TRUE(seen.hiddenWhenProbeStarted) << "expected the window hidden before the start";
    }
    std::printf("HIDE TIME=%d: hidden %llu ms after the key\n", hideTime,
                seen.hiddenAt - seen.typedAt);
    ASSERT_NO_FATAL_FAILURE(Finish());
  }
}

// The moment of the hide against a command that runs for as long as the test wants: the
// shut-down question, answered with Cancel. 0 hides before it is asked, 1 once it is answered,
// 2 a second after that.
TEST_F(LauncherHideTime, AgainstACommandThatIsStillRunning) {
  std::string const caption = ShutDownCaption();
  for (int hideTime : {0, 1, 2}) {
    SCOPED_TRACE("HIDE TIME=" + std::to_string(hideTime));
    ASSERT_NO_FATAL_FAILURE(Launch({"HIDE TIME=" + std::to_string(hideTime)},
                                   {{"shut down", "q", CMD_EXIT_WINDOWS, "0", ""}}));
    ASSERT_NO_FATAL_FAILURE(TypeUnfocused('q'));
    HWND box = e2e::WaitForMessageBox(launcher_.Id(), caption);
    ASSERT_TRUE(box) << "expected the shut-down question";
    EXPECT_EQ(IsWindowVisible(window_) != 0, hideTime != 0)
        << "expected the window " << (hideTime == 0 ? "hidden" : "shown") << " while asking";
    ULONGLONG const answeredAt = GetTickCount64();
    ASSERT_TRUE(e2e::DismissMessageBox(box, IDCANCEL));  // never OK
    ASSERT_TRUE(e2e::WaitVisible(window_, false)) << "expected the window hidden after Cancel";
    ULONGLONG const hiddenAfter = GetTickCount64() - answeredAt;
    if (hideTime == 1) {
      EXPECT_LT(hiddenAfter, 900u) << "expected the window hidden right after the command";
    }
    if (hideTime == 2) {
      EXPECT_GE(hiddenAfter, 900u) << "expected the window hidden by the timer, not at once";
    }
    ASSERT_NO_FATAL_FAILURE(Finish());
  }
}

// 2, 3 and 4 hide by a timer of 1, 2 and 3 seconds started after the command: the window is
// never hidden before that delay and is hidden soon after it.
TEST_F(LauncherHideTime, AfterOneTwoOrThreeSeconds) {
  // Margins: 100 ms for timer rounding below the delay, 2500 ms of load above it.
  for (int hideTime : {2, 3, 4}) {
    SCOPED_TRACE("HIDE TIME=" + std::to_string(hideTime));
    ULONGLONG const delay = 1000u * (hideTime - 1);
    HideObservation seen;
    ASSERT_NO_FATAL_FAILURE(
        TypeAndWatch(hideTime, delay - 100, static_cast<DWORD>(delay + 2500), &seen));
    EXPECT_EQ(seen.hiddenTooEarly, 0u)
        << "expected the window shown for " << delay << " ms, it was hidden after "
        << seen.hiddenTooEarly - seen.typedAt << " ms";
    ASSERT_NE(seen.hiddenAt, 0u) << "expected the window hidden within " << delay + 2500
                                 << " ms of the key";
    std::printf("HIDE TIME=%d: hidden %llu ms after the key\n", hideTime,
                seen.hiddenAt - seen.typedAt);
    ASSERT_NO_FATAL_FAILURE(Finish());
  }
}

}  // namespace
