// The file module in a fresh scratch folder, with the engine's own callbacks and error word.
#pragma once
#include <string>

#include "engine/core/core.h"
#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/file/file_module.h"
#include "engine/system/result_list.h"
#include "tests/platform/fs/scratch_folder.h"

class FileModuleTest : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    InitCoreTable();
    core_ = GetCoreDataPointer();
    core_->allocFree = CoreAllocFree;
    core_->resolveMediaPath = ResolveMediaPath;
    core_->decryptFile = DecryptFile;
    core_->encryptFile = EncryptFile;
    SetCoreErrorHandler(&word_);
    FileModule::Constructor();
    FileModule::SetErrorHandler(&word_);
    FileModule::PassCoreData(core_);
  }
  void TearDown() override {
    FileModule::Destructor();
    FreeResultList(core_->resultList);
    SetCoreErrorHandler(nullptr);
    ScratchFolderTest::TearDown();
  }
  // Takes an engine string and frees it.
  static std::string Take(char* text) {
    std::string result = text ? text : "<null>";
    if (text) CoreAllocFree(&text, 0);
    return result;
  }
  // The error a call raised (0 for none).
  template <typename F>
  uint32_t ErrorOf(F call) {
    word_ = 0;
    call();
    return word_;
  }

  uint32_t word_ = 0;
  CoreData* core_ = nullptr;
};
