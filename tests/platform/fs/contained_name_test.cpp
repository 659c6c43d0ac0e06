#include "platform/fs/contained_name.h"

#include <gtest/gtest.h>

namespace fs = platform::fs;

TEST(ContainedName, HostileNamesAreRefusedWithTheirReason) {
  struct Case {
    const char* name;
    const char* reason;  // a word of the reason; null: the name stays inside
  } cases[] = {
      {"level.bmp", nullptr},
      {"Sub\\Folder/level.bmp", nullptr},
      {"", nullptr},
      {"..level.bmp", nullptr},  // dots inside a name are part of it
      {"a..\\b...", nullptr},
      {"ab:c.ogg", nullptr},     // a colon after the second character is no drive
      {".\\level.bmp", nullptr},
      {"/etc/hosts", "root"},
      {"\\etc\\passwd", "root"},
      {"//server/share", "root"},
      {"C:", "drive"},
      {"c:level.bmp", "drive"},
      {"Z:\\Windows\\x.bmp", "drive"},
      {"..", ".."},
      {"..\\..\\..\\etc\\passwd", ".."},
      {"../../../../dev/urandom", ".."},
      {"Textures\\..\\..\\x.bmp", ".."},
      {"a/b\\..", ".."},
      {"a/../b", ".."},
      {"a\\..//b", ".."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const char* fault = fs::ContainedNameFault(c.name);
    std::string path = "untouched";
    const bool joined = fs::JoinContainedName("Textures\\", c.name, path);
    if (!c.reason) {
      EXPECT_EQ(fault, nullptr) << fault;
      EXPECT_TRUE(joined);
      EXPECT_EQ(path, std::string("Textures\\") + c.name);
    } else {
      ASSERT_NE(fault, nullptr);
      EXPECT_NE(std::string(fault).find(c.reason), std::string::npos) << fault;
      EXPECT_FALSE(joined);
      EXPECT_EQ(path, "");
    }
  }
}
