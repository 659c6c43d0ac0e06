// The committed media, read where the game reads them: from inside the assets folder, by the names the
// game uses.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class AssetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    const char* source = std::getenv("QEL_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "run through ctest, which names the source folder";
    std::filesystem::current_path(std::filesystem::path(source) / "assets");
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};
