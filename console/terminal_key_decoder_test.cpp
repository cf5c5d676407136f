#include "console/terminal_key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vadro {
namespace {

DecodedKey Decode(const std::string& bytes, bool noMoreBytes = false) {
  return DecodeTerminalKey(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), noMoreBytes);
}

// The codes of all the keys in `bytes`, read as the console reads them, with no byte to follow.
std::vector<int> Keys(const std::string& bytes) {
  std::vector<int> codes;
  for (std::size_t at = 0; at < bytes.size();) {
    std::string rest = bytes.substr(at);
    DecodedKey key = Decode(rest);
    if (key.length == 0) key = Decode(rest, true);
    codes.push_back(key.code);
    at += key.length;
  }
  return codes;
}

struct Sequence {
  const char* name;
  const char* bytes;
  int code;
};

// As xterm and tmux send them: CSI and SS3 forms (cursor keys in application mode), with and
// without modifiers; the Linux console's and rxvt's forms too.
const Sequence kSequences[] = {
    {"Up", "\x1b[A", kOtherKeyCode},
    {"Down", "\x1b[B", kOtherKeyCode},
    {"Right", "\x1b[C", kOtherKeyCode},
    {"Left", "\x1b[D", kOtherKeyCode},
    {"Up (SS3)", "\x1bOA", kOtherKeyCode},
    {"Left (SS3)", "\x1bOD", kOtherKeyCode},
    {"Ctrl+Up", "\x1b[1;5A", kOtherKeyCode},
    {"Shift+Alt+Right", "\x1b[1;4C", kOtherKeyCode},
    {"Home", "\x1b[H", kOtherKeyCode},
    {"Home (SS3)", "\x1bOH", kOtherKeyCode},
    {"Home (tmux)", "\x1b[1~", kOtherKeyCode},
    {"Home (rxvt)", "\x1b[7~", kOtherKeyCode},
    {"End", "\x1b[F", kOtherKeyCode},
    {"End (SS3)", "\x1bOF", kOtherKeyCode},
    {"End (tmux)", "\x1b[4~", kOtherKeyCode},
    {"Ctrl+End", "\x1b[1;5F", kOtherKeyCode},
    {"Insert", "\x1b[2~", kOtherKeyCode},
    {"Delete", "\x1b[3~", kOtherKeyCode},
    {"Shift+Delete", "\x1b[3;2~", kOtherKeyCode},
    {"PgUp", "\x1b[5~", kOtherKeyCode},
    {"PgDn", "\x1b[6~", kOtherKeyCode},
    {"Ctrl+PgDn", "\x1b[6;5~", kOtherKeyCode},
    {"F1", "\x1bOP", kFunctionKeyCode},
    {"F2", "\x1bOQ", kFunctionKeyCode},
    {"F3", "\x1bOR", kFunctionKeyCode},
    {"F4", "\x1bOS", kFunctionKeyCode},
    {"Ctrl+F1", "\x1b[1;5P", kFunctionKeyCode},
    {"Shift+F3", "\x1b[1;2R", kFunctionKeyCode},
    {"Alt+F4", "\x1b[1;3S", kFunctionKeyCode},
    {"F1 (rxvt)", "\x1b[11~", kFunctionKeyCode},
    {"F5", "\x1b[15~", kFunctionKeyCode},
    {"F6", "\x1b[17~", kFunctionKeyCode},
    {"F7", "\x1b[18~", kFunctionKeyCode},
    {"F8", "\x1b[19~", kFunctionKeyCode},
    {"F9", "\x1b[20~", kFunctionKeyCode},
    {"F10", "\x1b[21~", kFunctionKeyCode},
    {"F11", "\x1b[23~", kFunctionKeyCode},
    {"F12", "\x1b[24~", kFunctionKeyCode},
    {"Ctrl+F5", "\x1b[15;5~", kFunctionKeyCode},
    {"Shift+F12", "\x1b[24;2~", kFunctionKeyCode},
    {"F1 (Linux)", "\x1b[[A", kFunctionKeyCode},
    {"F5 (Linux)", "\x1b[[E", kFunctionKeyCode},
    {"Shift+Tab", "\x1b[Z", kOtherKeyCode},
    {"Keypad 5", "\x1b[E", kOtherKeyCode},
    {"Alt+Left (rxvt)", "\x1b\x1b[D", kOtherKeyCode},
    {"Alt+Delete", "\x1b\x1b[3~", kOtherKeyCode},
    {"paste start", "\x1b[200~", kOtherKeyCode},
    {"late cursor report", "\x1b[12;40R", kOtherKeyCode},
    {"F5 with leading zeros", "\x1b[00015~", kFunctionKeyCode},
    {"Shift+F3, its first number past 9999 counting as none", "\x1b[10000;2R", kFunctionKeyCode},
    {"Keypad 7 (application)", "\x1bOw", '7'},
    {"Keypad Enter (application)", "\x1bOM", 13},
    {"Enter as CR LF (piped text from Windows)", "\r\n", 13},
    // The edges of each range a byte or number is tested against.
    {"Linux console, past its F5", "\x1b[[F", kOtherKeyCode},
    {"Keypad 0 (application)", "\x1bOp", '0'},
    {"Keypad 9 (application)", "\x1bOy", '9'},
    {"Keypad / (application)", "\x1bOo", kOtherKeyCode},
    {"SS3 past the keypad", "\x1bOz", kOtherKeyCode},
    {"SS3 past F4", "\x1bOT", kOtherKeyCode},
    {"F3 with modifiers and no first number", "\x1b[;2R", kFunctionKeyCode},
    {"late report of row 2", "\x1b[2;2R", kOtherKeyCode},
    {"number 10", "\x1b[10~", kOtherKeyCode},
    {"number 16", "\x1b[16~", kOtherKeyCode},
    {"number 22", "\x1b[22~", kOtherKeyCode},
    {"Shift+F3 (rxvt, 25)", "\x1b[25~", kFunctionKeyCode},
    {"number 27", "\x1b[27~", kOtherKeyCode},
    {"number 30", "\x1b[30~", kOtherKeyCode},
    {"Shift+F7 (31)", "\x1b[31~", kFunctionKeyCode},
    {"Shift+F10 (34)", "\x1b[34~", kFunctionKeyCode},
    {"number 35", "\x1b[35~", kOtherKeyCode},
    {"a private parameter", "\x1b[?15~", kOtherKeyCode},
    {"an intermediate byte", "\x1b[1 @", kOtherKeyCode},
    {"the lowest final byte", "\x1b[@", kOtherKeyCode},
};

TEST(TerminalKeyDecoderTest, EachSequenceIsOneKeyTakenWhole) {
  for (const Sequence& s : kSequences) {
    std::string bytes = s.bytes;
    DecodedKey key = Decode(bytes + "5");  // a digit typed right after must stay for later
    EXPECT_EQ(key.code, s.code) << s.name;
    EXPECT_EQ(key.length, bytes.size()) << s.name;
  }
}

TEST(TerminalKeyDecoderTest, EveryStartOfASequenceWaitsForTheRest) {
  for (const Sequence& s : kSequences) {
    std::string bytes = s.bytes;
    for (std::size_t n = 1; n < bytes.size(); ++n) {
      EXPECT_EQ(Decode(bytes.substr(0, n)).length, 0u) << s.name << " cut at " << n;
    }
  }
}

TEST(TerminalKeyDecoderTest, DigitsInsideSequencesNeverBecomeKeys) {
  EXPECT_EQ(Keys("\x1b[3~"
                 "\x1b[1;5D"
                 "\x1b[15;2~"
                 "4"
                 "\x1b[24~"),
            (std::vector<int>{kOtherKeyCode, kOtherKeyCode, kFunctionKeyCode, '4', kFunctionKeyCode}));
}

TEST(TerminalKeyDecoderTest, SingleBytes) {
  EXPECT_EQ(Keys("7\r\n\n\r\x7f\x08"
                 "a\r"),
            (std::vector<int>{'7', 13, 13, 13, 8, 8, 'a', 13}));
}

TEST(TerminalKeyDecoderTest, EscapeWithNothingAfterItIsTheEscapeKey) {
  EXPECT_EQ(Decode("\x1b").length, 0u);
  DecodedKey key = Decode("\x1b", true);
  EXPECT_EQ(key.code, kEscapeKeyCode);
  EXPECT_EQ(key.length, 1u);
}

TEST(TerminalKeyDecoderTest, AltWithAKeyIsOneIgnoredKey) {
  EXPECT_EQ(Keys("\0335"
                 "\x1b["
                 "\x1bO"),
            (std::vector<int>{kOtherKeyCode, kOtherKeyCode, kOtherKeyCode}));
  DecodedKey twoEscapes = Decode("\x1b\x1b", true);
  EXPECT_EQ(twoEscapes.length, 2u);
}

TEST(TerminalKeyDecoderTest, ACutSequenceIsDroppedWithoutItsDigitsAfterTheWait) {
  DecodedKey key = Decode("\x1b[1;5", true);
  EXPECT_EQ(key.code, kOtherKeyCode);
  EXPECT_EQ(key.length, 5u);
}

TEST(TerminalKeyDecoderTest, AByteThatCannotContinueASequenceStartsTheNextKey) {
  EXPECT_EQ(Keys("\x1b[2\r"), (std::vector<int>{kOtherKeyCode, 13}));
  EXPECT_EQ(Keys("\x1b[1\x1bOP"), (std::vector<int>{kOtherKeyCode, kFunctionKeyCode}));
}

TEST(TerminalKeyDecoderTest, AnEndlessSequenceEndsAtItsLimit) {
  std::string endless = "\x1b[" + std::string(40, '1');
  DecodedKey key = Decode(endless);
  EXPECT_EQ(key.code, kOtherKeyCode);
  EXPECT_EQ(key.length, endless.size());
}

}  // namespace
}  // namespace vadro
