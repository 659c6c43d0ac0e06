// The string commands: edges of the cuts, number formats, and the hand-over of results.
#include "engine/text/string_commands.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "engine/core/core_alloc.h"
#include "engine/text/text_state.h"

namespace {

class StringCommands : public ::testing::Test {
 protected:
  void SetUp() override { TextModuleState().allocFree = CoreAllocFree; }
  // The result as a std::string; the engine string is given back.
  static std::string Take(char* result) {
    EXPECT_NE(result, nullptr);
    std::string text = result ? result : "<null>";
    CoreAllocFree(&result, 0);
    return text;
  }
};

TEST_F(StringCommands, CutsAtTheEdges) {
  struct Case {
    int32_t n;
    const char* left;
    const char* right;
  };
  for (const Case c : {Case{-1, "", ""}, Case{0, "", ""}, Case{1, "h", "o"}, Case{2, "he", "lo"},
                       Case{5, "hello", "hello"}, Case{7, "hello", "hello"}, Case{9, "hello", "hello"},
                       Case{INT32_MIN, "", ""}, Case{INT32_MAX, "hello", "hello"}}) {
    EXPECT_EQ(Take(LeftString("hello", c.n)), c.left) << c.n;
    EXPECT_EQ(Take(RightString("hello", c.n)), c.right) << c.n;
  }
  EXPECT_EQ(Take(LeftString(nullptr, 3)), "");
  EXPECT_EQ(Take(RightString(nullptr, 3)), "");
}

TEST_F(StringCommands, LowerCaseLengthAndNumbers) {
  EXPECT_EQ(Take(LowerString("Hello, WORLD 42 \xC4")), "hello, world 42 \xC4");  // ASCII letters only
  EXPECT_EQ(Take(LowerString(nullptr)), "");
  EXPECT_EQ(StringLength("hello"), 5);
  EXPECT_EQ(StringLength(""), 0);
  EXPECT_EQ(StringLength(nullptr), 0);

  struct FloatCase {
    float value;
    const char* text;
  };
  for (const FloatCase c :
       {FloatCase{0.5f, "0.5"}, FloatCase{100.0f, "100"}, FloatCase{-2.25f, "-2.25"}, FloatCase{0.1f, "0.10000000149"},
        FloatCase{1e20f, "1.00000002004e+20"}, FloatCase{3e-7f, "3.00000010611e-07"}}) {
    EXPECT_EQ(Take(FloatToString(c.value)), c.text) << c.value;
  }
  EXPECT_EQ(Take(IntToString(0)), "0");
  EXPECT_EQ(Take(IntToString(-2147483647 - 1)), "-2147483648");
  EXPECT_EQ(Take(IntToString(1234567)), "1234567");
}

TEST_F(StringCommands, LongSourcesGrowTheScratchBuffer) {
  const std::string text(5000, 'Q');
  EXPECT_EQ(Take(LowerString(text.c_str())), std::string(5000, 'q'));
  EXPECT_EQ(Take(RightString(text.c_str(), 4999)), std::string(4999, 'Q'));
  EXPECT_GE(TextModuleState().scratchCapacity, 5001u);
}

TEST_F(StringCommands, ReplacingFormsGiveThePreviousResultBack) {
  // Run under the leak checker: the first result is freed by the second call.
  char* result = IntToString(7);
  result = LeftStringReplacing(result, "abc", 2);
  result = RightStringReplacing(result, "abc", 2);
  result = LowerStringReplacing(result, "ABC");
  result = FloatToStringReplacing(result, 1.5f);
  result = IntToStringReplacing(result, 9);
  EXPECT_EQ(Take(result), "9");
}

TEST_F(StringCommands, NumbersKeepADecimalPointInAnyLocale) {
  // A locale whose decimal separator is a comma, compiled for this test into a folder of this
  // process's own (runs of the suite side by side must not read each other's half-written locale).
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("qel-locale-test-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string command =
      "localedef -c -i de_DE -f UTF-8 '" + (folder / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0 && !std::filesystem::exists(folder / "de_DE.UTF-8"))
    GTEST_SKIP() << "localedef could not build de_DE";
  setenv("LOCPATH", folder.c_str(), 1);
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
  char printed[32];
  std::snprintf(printed, sizeof printed, "%.12g", 0.5);
  ASSERT_STREQ(printed, "0,5");  // the locale is in force

  EXPECT_EQ(Take(FloatToString(0.5f)), "0.5");
  EXPECT_EQ(Take(FloatToString(1234.75f)), "1234.75");
  EXPECT_EQ(Take(IntToString(-1234567)), "-1234567");

  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
  std::filesystem::remove_all(folder);
}

}  // namespace
