// Every X, 3DS, MD2 and MDL model of Debian's assimp-testmodels that the engine reads, pinned by a
// checksum of what the load makes of it: the KVO image the converter hands the loader, and the files
// written on the way (for 3DS the intermediate X text, for MDL the skins); the record tree the loader
// builds must write the same image again. Work on the speed of the writers and readers must leave
// all of it byte for byte as it was.
#include <gtest/gtest.h>

#include <strings.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/formats/converter_3ds.h"
#include "engine/formats/kvo_format.h"
#include "engine/formats/model_loader.h"
#include "engine/formats/temp_folder.h"

namespace {

const std::filesystem::path kModels = "/usr/share/assimp/models";

uint64_t Fnv1a(const void* data, size_t size) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ static_cast<const uint8_t*>(data)[i]) * 0x100000001b3u;
  return hash;
}

struct Pinned {
  const char* file;  // below kModels
  uint64_t image;    // the converter's KVO image
  uint64_t written;  // 3DS: the X text written for the reload; MDL: the skins, mesh by mesh
};

const Pinned kPinned[] = {
    {"3DS/CameraRollAnim.3ds", 0x4bfb2ad0b0e68d78u, 0xf474ac0561fd6785u},
    {"3DS/CameraRollAnimWithChildObject.3ds", 0xe78a4114ecd5e302u, 0xa0f9fbda96cd8893u},
    {"3DS/RotatingCube.3DS", 0xbea9f30daa57a746u, 0x07375ba5b8ab49edu},
    {"3DS/TargetCameraAnim.3ds", 0x4bfb2ad0b0e68d78u, 0xf474ac0561fd6785u},
    {"3DS/cube_with_diffuse_texture.3DS", 0x7e06edacaf007ca2u, 0x61ab726caf08d326u},
    {"3DS/cube_with_specular_texture.3DS", 0xeeb07fcd8c4a1dc5u, 0x9dd37f0196be5cafu},
    {"3DS/cubes_with_alpha.3DS", 0xbde98578c855df3cu, 0x09dff2402f0d0ee8u},
    {"3DS/fels.3ds", 0xd9403355298aac37u, 0xc2fcf9ef8b6a14e3u},
    {"3DS/test1.3ds", 0xfa8cf7893f4cd3adu, 0x9447ffc2265a90d1u},
    {"MD2/faerie.md2", 0xc7fa3e5291f51fc1u, 0x0000000000000000u},
    {"MD2/sydney.md2", 0x5a07201de69cef14u, 0x0000000000000000u},
    {"MDL/MDL (HL1)/alpha_test.mdl", 0xd1077cfc7d03ea58u, 0xfc269e2eca692840u},
    {"MDL/MDL (HL1)/blend_additive.mdl", 0x4105d105899f1afdu, 0xe5df76b1fa0d46c0u},
    {"MDL/MDL (HL1)/chrome_sphere.mdl", 0x87eb18feefb4ae37u, 0x7a35e0fadc16c88du},
    {"MDL/MDL (HL1)/duplicate_bodyparts.mdl", 0x20b7de97cc61c33bu, 0x452e7e8ff4b63436u},
    {"MDL/MDL (HL1)/duplicate_sequence_groups/duplicate_sequence_groups.mdl", 0x967d609c4eaaff92u, 0x452e7e8ff4b63436u},
    {"MDL/MDL (HL1)/duplicate_sequences.mdl", 0x20b7de97cc61c33bu, 0x452e7e8ff4b63436u},
    {"MDL/MDL (HL1)/duplicate_submodels.mdl", 0x60d40f250c5adfbbu, 0x6975d555af642036u},
    {"MDL/MDL (HL1)/man.mdl", 0x562941b5e8af2e88u, 0x0000000000000000u},
    {"MDL/MDL (HL1)/sequence_transitions.mdl", 0x20b7de97cc61c33bu, 0x452e7e8ff4b63436u},
    {"MDL/MDL (HL1)/unnamed_bodyparts.mdl", 0x20b7de97cc61c33bu, 0x452e7e8ff4b63436u},
    {"MDL/MDL (HL1)/unnamed_bones.mdl", 0x82909a656c4de619u, 0xc018c6f0e946e200u},
    {"MDL/MDL (HL1)/unnamed_sequence_groups/unnamed_sequence_groups.mdl", 0x967d609c4eaaff92u, 0x452e7e8ff4b63436u},
    {"MDL/MDL (HL1)/unnamed_sequences.mdl", 0x20b7de97cc61c33bu, 0x452e7e8ff4b63436u},
    {"X/BCN_Epileptic.X", 0xfab4d5fc252c4634u, 0x0000000000000000u},
    {"X/Testwuson.X", 0x56ead976b77790e7u, 0x0000000000000000u},
    {"X/anim_test.x", 0x58c2e53793c9a23fu, 0x0000000000000000u},
    {"X/fromtruespace_bin32.x", 0x20d9a5bbeef0e667u, 0x0000000000000000u},
    {"X/kwxport_test_cubewithvcolors.x", 0x732454d56a76ccc1u, 0x0000000000000000u},
    {"X/test.x", 0xb6038835e77a278bu, 0x0000000000000000u},
    {"X/test_cube_binary.x", 0xa896a32337b44e9du, 0x0000000000000000u},
    {"X/test_cube_compressed.x", 0xa896a32337b44e9du, 0x0000000000000000u},
    {"X/test_cube_text.x", 0xbcb90cc8ae645198u, 0x0000000000000000u},
};

TEST(PinnedModelImages, EveryTestModelLoadsToTheSameBytes) {
  if (!std::filesystem::is_directory(kModels / "X")) GTEST_SKIP() << "assimp-testmodels is not installed";
  for (const Pinned& p : kPinned) {
    const std::string path = (kModels / p.file).string();
    std::vector<uint8_t> image;
    ASSERT_TRUE(ConvertModelFile(path.c_str(), ModelFileExtension(path.c_str()), &image)) << p.file;
    std::unique_ptr<ObjectRecord> object;
    ASSERT_TRUE(LoadModelFile(path.c_str(), &object)) << p.file;
    std::vector<uint8_t> again;
    ASSERT_TRUE(SaveModelToMemory(object.get(), &again)) << p.file;
    uint64_t written = 0;
    const std::string extension = ModelFileExtension(path.c_str());
    if (strcasecmp(extension.c_str(), "3ds") == 0) {
      std::vector<uint8_t> file;
      ASSERT_TRUE(ReadWholeFile(path.c_str(), &file)) << p.file;
      std::string text;
      ASSERT_TRUE(Write3DSAsXText(file.data(), file.size(), &text)) << p.file;
      written = Fnv1a(text.data(), text.size());
    } else if (strcasecmp(extension.c_str(), "mdl") == 0) {
      for (const MeshRecord* mesh : object->meshList) {
        std::vector<uint8_t> skin;
        if (mesh->stages.empty() || !*mesh->stages[0].fileName) continue;
        ASSERT_TRUE(ReadWholeFile((std::string(ModelTempFolder()) + mesh->stages[0].fileName).c_str(), &skin));
        written = written * 31 + Fnv1a(skin.data(), skin.size());
      }
    }
    EXPECT_EQ(Fnv1a(image.data(), image.size()), p.image) << p.file;
    EXPECT_TRUE(again == image) << p.file;
    EXPECT_EQ(written, p.written) << p.file;
  }
}

}  // namespace
