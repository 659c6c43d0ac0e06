// The offscreen device for the effect tests (the per-draw constants read its transforms and light 0),
// and a scratch folder of this process that is also the engine's temporary base ($TMPDIR).
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/display/display.h"
#include "engine/objects/device_links.h"
#include "engine/objects/record_links.h"
#include "platform/fs/folder.h"
#include "tests/engine/engine_fixture.h"

namespace effect_test {

class EffectTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    core_ = engine_test::StartEngineDisplay(&word_);
    InstallDeviceRecordLinks(GetDirect3DDevice);
    scratch_ = std::filesystem::temp_directory_path() / ("qel_effect_test_" + std::to_string(::getpid()));
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);
    savedTmp_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", scratch_.c_str(), 1);
  }
  static void TearDownTestSuite() {
    if (savedTmp_.empty())
      ::unsetenv("TMPDIR");
    else
      ::setenv("TMPDIR", savedTmp_.c_str(), 1);
    std::filesystem::remove_all(scratch_);
    GetRecordLinks() = RecordLinks{};
    engine_test::StopEngineDisplay(core_);
  }
  void SetUp() override { startFolder_ = platform::fs::CurrentFolder(); }
  void TearDown() override { platform::fs::ChangeCurrentFolder(startFolder_); }

  static std::string Scratch(const std::string& name) { return (scratch_ / name).string(); }
  static void WriteText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  static inline CoreData* core_ = nullptr;
  static inline uint32_t word_ = 0;
  static inline std::filesystem::path scratch_;
  static inline std::string savedTmp_;
  std::string startFolder_;
};

}  // namespace effect_test
