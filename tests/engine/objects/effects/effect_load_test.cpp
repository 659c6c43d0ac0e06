// Finding and compiling effect files: the four places in their order, the current folder kept, the
// rewritten temporary copy, the source rewriting itself, shader input semantics, and binding by name.
#include <vector>

#include "engine/objects/effect_binding.h"
#include "engine/objects/effect_object.h"
#include "tests/engine/objects/effects/effect_fixture.h"
#include "tests/engine/objects/effects/fake_effect.h"

namespace effect_test {
namespace {

// A compiler standing in for the platform's: records each attempt (the path, the current folder, the
// file's text) and succeeds at attempt `succeedAt` (0: never).
struct Attempt {
  std::string path, folder, text;
};
std::vector<Attempt> g_attempts;
size_t g_succeedAt = 0;
FakeEffect* g_made = nullptr;

gfx::Result RecordingCompiler(gfx::Device*, std::string_view path, dx::Effect** effect, std::string* errors) {
  g_attempts.push_back({std::string(path), platform::fs::CurrentFolder(), EffectTest::ReadText(std::string(path))});
  *effect = nullptr;
  if (g_attempts.size() != g_succeedAt) return gfx::kFail;
  g_made = new FakeEffect;
  g_made->techniques = {{FakePass{}, FakePass{}}};
  *effect = g_made;
  return gfx::kOk;
}

class EffectLoadTest : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    g_attempts.clear();
    g_succeedAt = 0;
    g_made = nullptr;
    dx::SetEffectCompilerForTest(RecordingCompiler);
    WriteText(Scratch("game/fx/shiny.fx"), "vs.1.1\nmov oPos, v0\n");
    platform::fs::ChangeCurrentFolder(Scratch("game"));
  }
  void TearDown() override {
    dx::SetEffectCompilerForTest(nullptr);
    EffectTest::TearDown();
  }
  static std::string Temp() { return Scratch("tvqdata/"); }
};

TEST_F(EffectLoadTest, EveryPlaceIsTriedInOrderAndTheFolderComesBack) {
  MeshEffect effect;
  EXPECT_FALSE(effect.Load("fx\\shiny.fx", 0, 0));
  ASSERT_EQ(g_attempts.size(), 4u);
  EXPECT_EQ(g_attempts[0].path, "shiny.fx");
  EXPECT_EQ(g_attempts[0].folder, Scratch("game/fx"));  // the name's own folder
  EXPECT_EQ(g_attempts[1].path, Temp() + "shiny.fx");
  EXPECT_EQ(g_attempts[2].path, Temp() + "media/fx\\shiny.fx");
  EXPECT_EQ(g_attempts[3].path, Temp() + "_modified_fx.fx");
  EXPECT_EQ(g_attempts[3].text, "vs.1.1 dcl_position v0 dcl_normal v3 dcl_color v6 dcl_texcoord v7\nmov oPos, v0\n");
  EXPECT_FALSE(std::filesystem::exists(Temp() + "_modified_fx.fx"));  // deleted after its attempt
  EXPECT_EQ(platform::fs::CurrentFolder(), Scratch("game"));
  EXPECT_STREQ(effect.fileName, "fx\\shiny.fx");
}

TEST_F(EffectLoadTest, AnEffectFoundInTheMediaFolderIsParsedFromThere) {
  g_succeedAt = 3;
  std::filesystem::create_directories(Temp() + "media/fx");
  MeshEffect effect;
  ASSERT_TRUE(effect.Load("fx/shiny.fx", 0, 0));
  EXPECT_EQ(g_attempts.size(), 3u);
  EXPECT_EQ(effect.effect, g_made);
  EXPECT_EQ(g_made->selected, 5000u);  // the first valid technique
  EXPECT_EQ(platform::fs::CurrentFolder(), Scratch("game"));
}

TEST_F(EffectLoadTest, ANameWithoutAFolderNeverMovesAndALeadingSeparatorIsPartOfTheName) {
  g_succeedAt = 1;
  MeshEffect plain;
  ASSERT_TRUE(plain.Load("plain.fx", 0, 0));
  EXPECT_EQ(g_attempts[0].path, "plain.fx");
  EXPECT_EQ(g_attempts[0].folder, Scratch("game"));

  g_attempts.clear();
  MeshEffect rooted;
  rooted.Load("\\rooted.fx", 0, 0);
  EXPECT_EQ(g_attempts[0].path, "\\rooted.fx");
  EXPECT_EQ(g_attempts[0].folder, Scratch("game"));
}

TEST_F(EffectLoadTest, ATechniqueQueryThatFailsFailsTheLoadButKeepsTheEffect) {
  g_succeedAt = 1;
  MeshEffect effect;
  struct Invalid {
    static gfx::Result Compile(gfx::Device* d, std::string_view p, dx::Effect** e, std::string* s) {
      const gfx::Result r = RecordingCompiler(d, p, e, s);
      if (g_made) g_made->validTechnique = false;
      return r;
    }
  };
  dx::SetEffectCompilerForTest(Invalid::Compile);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(effect.Load("plain.fx", 0, 0));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "qel: effect \"plain.fx\" has no technique this device runs\n");
  EXPECT_EQ(effect.effect, g_made);  // released by the destructor
}

TEST_F(EffectLoadTest, AFileThatDoesNotParseGivesItsLineAndNoEffect) {
  // shiny.fx is bare shader assembly, not an effect: the platform's compiler says where it went wrong.
  dx::SetEffectCompilerForTest(nullptr);
  dx::Effect* made = reinterpret_cast<dx::Effect*>(1);
  std::string errors;
  EXPECT_EQ(dx::CreateEffectFromFile(GetDirect3DDevice(), Scratch("game/fx/shiny.fx"), &made, &errors), gfx::kFail);
  EXPECT_EQ(made, nullptr);
  EXPECT_EQ(errors.rfind(Scratch("game/fx/shiny.fx") + "(1): ", 0), 0u) << errors;
  EXPECT_EQ(dx::CreateEffectFromFile(GetDirect3DDevice(), Scratch("none.fx"), &made, &errors), gfx::kNotFound);
  // The mesh goes on without its effect, and says why: the messages of the file that was there.
  MeshEffect effect;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(effect.Load("fx\\shiny.fx", 1, 1));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("qel: effect \"fx\\shiny.fx\" does not compile:\nshiny.fx(1): ", 0), 0u) << said;
  EXPECT_EQ(effect.effect, nullptr);
  EXPECT_EQ(platform::fs::CurrentFolder(), Scratch("game"));
  // Nowhere to be found is no compile failure: nothing is said.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(effect.Load("fx\\absent.fx", 1, 1));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(EffectLoadTest, SourceRewritingAddsDeclarationsAndCommentsOutTargets) {
  const std::string decl = " dcl_position v0 dcl_normal v3 dcl_color v6 dcl_texcoord v7";
  const struct { const char* what; std::string in, out; } cases[] = {
      {"version token", "asm { vs.1.1\n mov }", "asm { vs.1.1" + decl + "\n mov }"},
      {"capitals", "VS.1.0 x", "VS.1.0" + decl + " x"},
      {"two shaders", "vs.1.1;vs.2.0", "vs.1.1" + decl + ";vs.2.0" + decl},
      {"declared already", "vs.1.1 DCL_Position v0", "vs.1.1 DCL_Position v0"},
      {"target lines", "Target[0] = a;\nvs.1.1", "//rget[0] = a;\nvs.1.1" + decl},
      {"token cut by the end", "xx vs.1", "xx vs.1" + decl},
      {"nothing to do", "float4 f;", "float4 f;"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string source = Scratch("patch/in" + std::to_string(n) + ".fx");
    const std::string destination = Scratch("patch/out" + std::to_string(n++) + ".fx");
    WriteText(source, c.in);
    ASSERT_TRUE(PatchShaderDeclarations(source.c_str(), destination.c_str())) << c.what;
    EXPECT_EQ(ReadText(destination), c.out) << c.what;
    // The destination must be new.
    EXPECT_FALSE(PatchShaderDeclarations(source.c_str(), destination.c_str())) << c.what;
  }
  EXPECT_FALSE(PatchShaderDeclarations(Scratch("patch/missing.fx").c_str(), Scratch("patch/x.fx").c_str()));
  EXPECT_FALSE(std::filesystem::exists(Scratch("patch/x.fx")));
}

TEST(ShaderSemantics, DeclaredInputsOfOldAndNewVertexShaders) {
  constexpr uint32_t kInput = 0x900F0000;  // v0, all four components
  const uint32_t old[] = {0xFFFE0101, 0x0000001F, 0x80000000, kInput,     0x0000001F, 0x80000003,
                          kInput | 3, 0x0000001F, 0x80010005, kInput | 7, 0x00000001, 0xC00F0000,
                          kInput,     0x0000FFFF};
  dx::ShaderSemantic found[dx::kMaxShaderSemantics];
  uint32_t count = 0;
  ASSERT_EQ(dx::GetShaderInputSemantics(old, std::size(old), found, &count), gfx::kOk);
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(found[1].usage, uint32_t(gfx::DECLUSAGE_NORMAL));
  EXPECT_EQ(found[2].usage, uint32_t(gfx::DECLUSAGE_TEXCOORD));
  EXPECT_EQ(found[2].usageIndex, 1u);

  // Version 2 gives lengths: a comment, an instruction, then declarations; an output declaration
  // (register type 6) is not an input.
  const uint32_t newer[] = {0xFFFE0200, 0x0002FFFE, 0, 0, 0x02000001, 0x800F0000, kInput,
                            0x0200001F, 0x80000006, kInput | 4, 0x0200001F, 0x80000000, 0xE00F0000,
                            0x0000FFFF};
  ASSERT_EQ(dx::GetShaderInputSemantics(newer, std::size(newer), found, &count), gfx::kOk);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(found[0].usage, uint32_t(gfx::DECLUSAGE_TANGENT));

  // No end token: the stream's own length stops the reading. A pixel shader has no vertex inputs.
  ASSERT_EQ(dx::GetShaderInputSemantics(newer, 10, found, &count), gfx::kOk);  // ends after the tangent
  EXPECT_EQ(count, 1u);
  const uint32_t pixel[] = {0xFFFF0200, 0x0000FFFF};
  EXPECT_EQ(dx::GetShaderInputSemantics(pixel, 2, found, &count), gfx::kInvalidCall);
}

TEST_F(EffectLoadTest, BindingByNameAttachesNothingThatCannotBeUsed) {
  // This device runs no vertex shaders, so even a compiled effect is not taken: it is deleted again
  // (the leak checker watches), and the mesh keeps drawing as it did.
  g_succeedAt = 1;
  MeshRecord mesh;
  CopyRecordName(mesh.effectFileName, "plain.fx");
  BindEffectByName(&mesh);
  EXPECT_EQ(mesh.effect, nullptr);
  EXPECT_EQ(g_attempts.size(), 1u);

  // A shared effect of the name (any letter case) is used instead of loading, and never deleted; the
  // first entry of the table is not searched.
  auto shared = std::make_unique<MeshEffect>();
  CopyRecordName(shared->fileName, "SHARED.fx");
  EffectTable()[1] = shared.get();
  auto first = std::make_unique<MeshEffect>();
  CopyRecordName(first->fileName, "first.fx");
  EffectTable()[0] = first.get();
  g_attempts.clear();
  CopyRecordName(mesh.effectFileName, "shared.FX");
  BindEffectByName(&mesh);
  EXPECT_TRUE(g_attempts.empty());
  CopyRecordName(mesh.effectFileName, "first.fx");
  BindEffectByName(&mesh);
  EXPECT_EQ(g_attempts.size(), 1u);
  EffectTable()[0] = EffectTable()[1] = nullptr;
  EXPECT_EQ(mesh.effect, nullptr);
}

// A model names its effect; a name that would leave the current folder is never opened anywhere.
TEST_F(EffectLoadTest, AModelsEffectNameThatLeavesTheFolderIsNotLoaded) {
  g_succeedAt = 1;
  for (const char* name : {"../shiny.fx", "..\\game\\fx\\shiny.fx", "fx\\..\\..\\shiny.fx", "/etc/shiny.fx",
                           "\\fx\\shiny.fx", "C:\\fx\\shiny.fx"}) {
    SCOPED_TRACE(name);
    g_attempts.clear();
    MeshRecord mesh;
    CopyRecordName(mesh.effectFileName, name);
    BindEffectByName(&mesh);
    EXPECT_TRUE(g_attempts.empty()) << g_attempts[0].path;
    EXPECT_EQ(mesh.effect, nullptr);
    EXPECT_EQ(platform::fs::CurrentFolder(), Scratch("game"));
  }
}

}  // namespace
}  // namespace effect_test
