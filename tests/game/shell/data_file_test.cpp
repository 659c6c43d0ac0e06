// The INI class: what a file reads as and how it is written back, values, names, flags and the log.
#include "game/shell/data_file.h"

#include <climits>
#include <string>

#include "game/shell/data_file_report.h"
#include "tests/game/shell/shell_fixture.h"

namespace {

using DataFileTest = ShellTest;

std::string Rewritten(const std::string& text) {
  LogCapture log;  // the object has no file to save to
  CDataFile file;
  file.LoadText(text);
  return file.SaveText();
}

TEST_F(DataFileTest, FilesAreWrittenBackInTheClassLayout) {
  const std::string longValue(509, 'x');
  struct Case {
    const char* what;
    std::string file;
    std::string saved;
  } cases[] = {
      {"a key before any header stays headerless", "Width=640", "Width=640\r\n"},
      {"blanks around the separator", "[GFX]\nWidth = 640\n", "\r\n[GFX]\r\nWidth= 640\r\n"},
      {"CR LF lines", "[GFX]\r\nWidth=640\r\n", "\r\n[GFX]\r\nWidth=640\r\n"},
      {"comment before a header", "; display\n[GFX]\nA=1", "\r\n; display\r\n[GFX]\r\nA=1\r\n"},
      {"comment block", ";a\n  # b  \n[GFX]", "\r\n;a\r\n# b\r\n[GFX]\r\n"},
      {"comment before a key", "[S]\n; note\nA=1", "\r\n[S]\r\n\r\n; note\r\nA=1\r\n"},
      {"ignored lines pass their comment on", "[S]\n;c\nA=\nno separator\n\t \nB=2",
       "\r\n[S]\r\n\r\n;c\r\nB=2\r\n"},
      {"comments after the last key are dropped", "[S]\nk=1\n; end", "\r\n[S]\r\nk=1\r\n"},
      {"text after the bracket joins the name", "[GFX]extra\nA=1", "\r\n[GFXextra]\r\nA=1\r\n"},
      {"only the last bracket closes", "[a]b]\nA=1", "\r\n[a]b]\r\nA=1\r\n"},
      {"a header without a bracket takes the rest", "[Open\nk=1", "\r\n[Open]\r\nk=1\r\n"},
      {"repeated headers merge into the first", "[A]\nx=1\n[B]\ny=2\n[a]\nz=3",
       "\r\n[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
      {"a repeated key replaces value and comment", "[A]\n;one\nk=1\n;two\nK=2", "\r\n[A]\r\n\r\n;two\r\nk=2\r\n"},
      {"colon separator, trailing separators trimmed", "k: v\nj=a:\nm=n=", "k= v\r\nj=a\r\nm=n\r\n"},
      {"the first separator splits", "k=a=b", "k=a=b\r\n"},
      {"a NUL ends the line", std::string("k=ab\0cd\nj=1", 11), "k=ab\r\nj=1\r\n"},
      {"lines over 511 characters go on as the next line", "k=" + std::string(600, 'x'),
       "k=" + longValue + "\r\n"},
      {"empty file", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Rewritten(c.file), c.saved) << c.what;
}

TEST_F(DataFileTest, ValuesAndNames) {
  LogCapture log;
  CDataFile file;
  file.LoadText("top=1\n[GFX]\nWidth= 640\nDigits=123abc\nLetters=abc\nNeg= -42\nBig=99999999999\n"
                "Small=-99999999999\n");
  EXPECT_EQ(file.SectionCount(), 2);
  EXPECT_EQ(file.KeyCount(), 7);
  EXPECT_EQ(file.GetValue("Width", "GFX"), " 640");  // the blank after the separator stays
  EXPECT_EQ(file.GetString("width", "gfx"), " 640");
  EXPECT_EQ(file.GetValue("top"), "1");
  EXPECT_EQ(file.GetValue("Width"), "");
  EXPECT_EQ(file.GetValue("Width", "Missing"), "");

  struct IntCase {
    const char* key;
    int32_t value;
  } ints[] = {{"Width", 640},        {"Digits", 123},        {"Letters", 0}, {"Neg", -42},
              {"Big", INT_MAX},      {"Small", INT_MIN},     {"Missing", INT_MIN}};
  for (const IntCase& c : ints) EXPECT_EQ(file.GetInt(c.key, "GFX"), c.value) << c.key;

  // A name differing only in case updates the stored key, which keeps its first spelling.
  EXPECT_TRUE(file.SetValue("WIDTH", "800", "", "gfx"));
  EXPECT_EQ(file.GetSection("GFX")->keys[0].name, "Width");
  EXPECT_EQ(file.GetInt("width", "GFX"), 800);
  // An existing key set to an empty value reads as missing and is not written.
  EXPECT_TRUE(file.SetValue("Digits", "", "", "GFX"));
  EXPECT_EQ(file.GetInt("Digits", "GFX"), INT_MIN);
  EXPECT_EQ(file.SaveText().find("Digits"), std::string::npos);
  EXPECT_TRUE(file.SetInt("Neg", -7, "; set by the game", "GFX"));
  EXPECT_NE(file.SaveText().find("\r\n\r\n; set by the game\r\nNeg=-7\r\n"), std::string::npos);
}

TEST_F(DataFileTest, WhatSetValueMayCreate) {
  LogCapture log;
  CDataFile file;
  EXPECT_EQ(file.Flags(), CDataFile::kCreateSections | CDataFile::kCreateKeys);
  EXPECT_FALSE(file.IsDirty());
  EXPECT_FALSE(file.SetValue("k", "", "", "S"));  // a new key needs a value; the section is made all the same
  EXPECT_EQ(file.SectionCount(), 2);
  EXPECT_TRUE(file.IsDirty());
  EXPECT_TRUE(file.SetValue("k", "1", "", "S"));

  file.SetFlags(0);
  EXPECT_FALSE(file.SetValue("k", "1", "", "Other"));
  EXPECT_FALSE(file.SetValue("j", "1", "", "S"));
  EXPECT_TRUE(file.SetValue("k", "2", "", "S"));
  EXPECT_TRUE(file.CreateSection("Other"));  // whatever the flags say
  EXPECT_FALSE(file.CreateSection("OTHER"));
  EXPECT_EQ(log.Take(), "<info> [CDataFile::CreateSection] Section <OTHER> allready exists. Aborting.\n");
  // Loading creates what the file holds and leaves the flags as they were.
  file.LoadText("[New]\nx=1\n");
  EXPECT_EQ(file.GetInt("x", "New"), 1);
  EXPECT_EQ(file.Flags(), 0u);
  file.SetFlags(CDataFile::kCreateKeys | 1);
  file.LoadText("[Newer]\ny=1\n");
  EXPECT_EQ(file.Flags(), CDataFile::kCreateKeys | 1u);
}

TEST_F(DataFileTest, LoadingAndSavingFiles) {
  {
    LogCapture log;
    CDataFile missing("Config.ini");
    EXPECT_EQ(log.Take(), "<info> [CDataFile::Load] Unable to open file. Does it exist?\n");
    EXPECT_FALSE(missing.IsDirty());
    EXPECT_EQ(missing.GetInt("Width", "GFX"), INT_MIN);
  }
  EXPECT_FALSE(Exists("Config.ini"));  // nothing changed, nothing written

  // Loaded and dropped unchanged, a file is written back in the class's layout (through the resolver:
  // the name's case does not matter).
  Write("config.ini", "[GFX]\r\nWidth = 640\r\n");
  { CDataFile file("CONFIG.INI"); }
  EXPECT_EQ(Read("config.ini"), "\r\n[GFX]\r\nWidth= 640\r\n");

  LogCapture log;
  {
    CDataFile unnamed;
    unnamed.SetValue("k", "1");
    EXPECT_FALSE(unnamed.Save());
  }
  EXPECT_EQ(log.Take(), "<error> [CDataFile::Save] No filename has been set.\n"
                        "<error> [CDataFile::Save] No filename has been set.\n");  // again on destruction
}

TEST_F(DataFileTest, AFailedSaveKeepsThePreviousFile) {
  Write("Config.ini", "[GFX]\nWidth=640\n");
  EXPECT_FALSE(SaveSucceedsOnFullDisk(8, [] {
    CDataFile file("Config.ini");
    file.SetValue("Height", "480", "", "GFX");
    return file.Save();
  }));
  EXPECT_EQ(Read("Config.ini"), "[GFX]\nWidth=640\n");
  EXPECT_EQ(CountEntries("."), 1u);
}

TEST_F(DataFileTest, ReportTagsAndLength) {
  testing::internal::CaptureStderr();
  for (int level = -1; level <= 6; ++level) DebugReport(level, "m%d", level);
  DebugReport(kReportWarn, "%s", std::string(600, 'x').c_str());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "m-1\n<debug> m0\n<info> m1\n<warn> m2\n<error> m3\n<fatal> m4\n<critical> m5\nm6\n<warn> " +
                std::string(510, 'x') + "\n");
}

}  // namespace
