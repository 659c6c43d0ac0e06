// The media committed under assets/ are exactly what the generator makes now: a change to the
// generator comes with its media, and a run gives the same bytes every time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::set<std::string> FilesBelow(const fs::path& root) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), root).generic_string());
  return files;
}

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(AssetgenTest, TheCommittedMediaEqualAFreshRun) {
  const char* generator = std::getenv("QEL_ASSETGEN");
  const char* source = std::getenv("QEL_SOURCE_DIR");
  ASSERT_NE(generator, nullptr) << "run through ctest, which names the generator";
  ASSERT_NE(source, nullptr) << "run through ctest, which names the source folder";
  const fs::path scratch = fs::temp_directory_path() / ("qel-assetgen-" + std::to_string(getpid()));
  fs::remove_all(scratch);
  const fs::path fresh = scratch / "assets", committed = fs::path(source) / "assets";
  const std::string command = "'" + std::string(generator) + "' '" + fresh.string() + "' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  const std::set<std::string> made = FilesBelow(fresh), kept = FilesBelow(committed);
  const std::string refresh = "; refresh with: assetgen " + committed.string();
  for (const std::string& name : made)
    if (!kept.count(name)) ADD_FAILURE() << name << " is made but not committed" << refresh;
  for (const std::string& name : kept)
    if (!made.count(name)) ADD_FAILURE() << name << " is committed but no longer made" << refresh;
  for (const std::string& name : made)
    if (kept.count(name) && Contents(fresh / name) != Contents(committed / name))
      ADD_FAILURE() << name << " differs from a fresh run" << refresh;
  fs::remove_all(scratch);
}

}  // namespace
