// The open-file dialog: folders and matching files of a folder through the path resolver, browsing,
// typed names, and the path handed back.
#include <filesystem>
#include <fstream>

#include "platform/dialogs/open_file.h"
#include "platform/fs/folder.h"
#include "tests/platform/dialogs/dialog_fixture.h"

namespace dialog_test {
namespace {

namespace fs = std::filesystem;

class OpenFileTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "qel-open-file-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    for (const char* name : {"a.qel", "B.QEL", "notes.txt", ".hidden.qel", "Sub/c.qel", "Sub/Deeper/d.qel"}) {
      fs::create_directories((root_ / name).parent_path());
      std::ofstream(root_ / name) << "map";
    }
    fs::create_directories(root_ / "Empty.qel");  // a folder, whatever its name
    before_ = platform::fs::CurrentFolder();
  }
  void TearDown() override {
    EXPECT_EQ(platform::fs::CurrentFolder(), before_) << "the current folder never changes";
    fs::remove_all(root_);
    DialogTest::TearDown();
  }

  // GetOpenFileName on the scratch folder as the editor asks it: maps only, file and path must exist.
  bool Ask(std::string& chosen, uint32_t size = 260) {
    std::vector<char> buffer(size, '\0');
    pd::OpenFileName request;
    request.filter = "qel Maps\0*.qel\0";
    request.file = buffer.data();
    request.fileSize = size;
    request.initialFolder = folder_.c_str();
    request.flags = pd::OFN_PATHMUSTEXIST | pd::OFN_FILEMUSTEXIST;
    const bool ok = pd::GetOpenFileName(request, Host());
    chosen = buffer.data();
    return ok;
  }

  fs::path root_;
  std::string folder_, before_;
};

TEST_F(OpenFileTest, ListsFoldersAndMapsAndReturnsTheOneClicked) {
  folder_ = root_.string();
  pd::test::Run([] {
    EXPECT_EQ(pd::test::ListItems(pd::kFileListControl),
              (std::vector<std::string>{"..", "Empty.qel/", "Sub/", "a.qel", "B.QEL"}));
  });
  pd::test::ClickItem(pd::kFileListControl, "B.QEL");
  pd::test::Run([] { EXPECT_EQ(pd::test::ControlText(pd::kFileNameControl), "B.QEL"); });
  pd::test::Click(pd::IDOK);
  std::string chosen;
  ASSERT_TRUE(Ask(chosen));
  EXPECT_EQ(chosen, (root_ / "B.QEL").string());
}

TEST_F(OpenFileTest, FoldersAreEnteredAndLeftAndAFileIsChosenByDoubleClick) {
  folder_ = root_.string();
  pd::test::DoubleClickItem(pd::kFileListControl, "Sub/");
  pd::test::DoubleClickItem(pd::kFileListControl, "Deeper/");
  pd::test::DoubleClickItem(pd::kFileListControl, "..");
  pd::test::Run([] {
    EXPECT_EQ(pd::test::ListItems(pd::kFileListControl), (std::vector<std::string>{"..", "Deeper/", "c.qel"}));
  });
  pd::test::DoubleClickItem(pd::kFileListControl, "c.qel");
  std::string chosen;
  ASSERT_TRUE(Ask(chosen));
  EXPECT_EQ(chosen, (root_ / "Sub" / "c.qel").string());
}

TEST_F(OpenFileTest, TypedNamesGoThroughTheResolverAndMissingFilesKeepTheDialogOpen) {
  folder_ = root_.string();
  pd::test::TypeText(pd::kFileNameControl, "nothing.qel");
  pd::test::PressEnter();  // "File not found": the dialog stays
  pd::test::Run([] { EXPECT_EQ(pd::test::OpenDialogId(), 0); });
  pd::test::TypeText(pd::kFileNameControl, "SUB\\Deeper\\D.QEL");
  pd::test::PressEnter();
  std::string chosen;
  ASSERT_TRUE(Ask(chosen));
  EXPECT_EQ(chosen, (root_ / "Sub" / "Deeper" / "d.qel").string());
}

TEST_F(OpenFileTest, CancelAndAPathTooLongForTheBufferChooseNothing) {
  folder_ = root_.string();
  std::string chosen;
  pd::test::Click(pd::IDCANCEL);
  EXPECT_FALSE(Ask(chosen));
  EXPECT_EQ(chosen, "");
  pd::test::DoubleClickItem(pd::kFileListControl, "a.qel");
  EXPECT_FALSE(Ask(chosen, uint32_t((root_ / "a.qel").string().size())));  // no room for the terminator
  EXPECT_EQ(chosen, "");
}

TEST_F(OpenFileTest, AMissingInitialFolderStartsInTheCurrentFolder) {
  folder_ = (root_ / "gone").string();
  const std::string current = platform::fs::CurrentFolder();
  pd::test::Run([current] {
    std::vector<std::string> items = pd::test::ListItems(pd::kFileListControl);
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(pd::test::ControlText(0x441), current);
  });
  pd::test::PressEscape();
  std::string chosen;
  EXPECT_FALSE(Ask(chosen));
}

}  // namespace
}  // namespace dialog_test
