// The first game controller, played by SDL's virtual joystick.
#include <SDL.h>

#include <string>

#include "tests/engine/input/input_fixture.h"

namespace {

class JoystickTest : public InputTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    InputTest::SetUp();
  }
  void TearDown() override {
    for (SDL_Joystick* pad : pads_) SDL_JoystickClose(pad);
    InputTest::TearDown();
    for (int i = SDL_NumJoysticks() - 1; i >= 0; --i)
      if (SDL_JoystickIsVirtual(i)) SDL_JoystickDetachVirtual(i);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }

  // Attaches a controller with 40 buttons and opens SDL's own handle to move it.
  SDL_Joystick* Attach(const char* name) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 3;
    desc.nbuttons = 40;
    desc.name = name;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    EXPECT_NE(pad, nullptr);
    pads_.push_back(pad);
    return pad;
  }

  std::vector<SDL_Joystick*> pads_;
};

TEST_F(JoystickTest, NoControllerReadsZero) {
  EXPECT_EQ(InputModuleState().joystick, nullptr);
  EXPECT_EQ(GetJoystickX(), 0);
  EXPECT_EQ(GetJoystickY(), 0);
  EXPECT_EQ(JoystickLeft() | JoystickRight() | JoystickUp() | JoystickDown(), 0u);
  EXPECT_EQ(IsJoystickButtonDown(0), 0);
  EXPECT_EQ(word_, 0u);
}

TEST_F(JoystickTest, AxesAreScaledAndButtonsRead) {
  SDL_Joystick* pad = Attach("Test Pad");
  InputModule::PassCoreData(core_);  // devices are taken when the module gets CoreData
  ASSERT_NE(InputModuleState().joystick, nullptr);
  EXPECT_EQ(InputModuleState().wantedJoystick, "Test Pad");

  struct Case {
    Sint16 sdl;
    int32_t scaled;
    uint32_t lowSide, highSide;  // left / up, right / down
  };
  for (const Case c : {Case{-32768, -1000, 1, 0}, Case{-16384, -500, 1, 0}, Case{0, 0, 0, 0}, Case{16384, 500, 0, 1},
                       Case{32767, 1000, 0, 1}}) {
    SDL_JoystickSetVirtualAxis(pad, 0, c.sdl);
    SDL_JoystickSetVirtualAxis(pad, 1, c.sdl);
    EXPECT_EQ(GetJoystickX(), c.scaled) << c.sdl;
    EXPECT_EQ(GetJoystickY(), c.scaled) << c.sdl;
    EXPECT_EQ(JoystickLeft(), c.lowSide) << c.sdl;
    EXPECT_EQ(JoystickRight(), c.highSide) << c.sdl;
    EXPECT_EQ(JoystickUp(), c.lowSide) << c.sdl;
    EXPECT_EQ(JoystickDown(), c.highSide) << c.sdl;
  }

  for (int button : {0, 7, 31, 32, 39}) SDL_JoystickSetVirtualButton(pad, button, SDL_PRESSED);
  for (int32_t button = -1; button <= 40; ++button) {
    const bool down = button == 0 || button == 7 || button == 31;  // the engine reads buttons 0 to 31
    EXPECT_EQ(IsJoystickButtonDown(button), down ? 1 : 0) << button;
  }
}

TEST_F(JoystickTest, TheControllerTakenOnceIsWantedAgain) {
  Attach("Pad A");
  InputModule::PassCoreData(core_);
  ASSERT_EQ(InputModuleState().wantedJoystick, "Pad A");

  // Another controller now comes first; the one used before is still taken.
  for (SDL_Joystick* pad : pads_) SDL_JoystickClose(pad);
  pads_.clear();
  SDL_JoystickDetachVirtual(0);
  SDL_Joystick* b = Attach("Pad B");
  SDL_Joystick* a = Attach("Pad A");
  SDL_JoystickSetVirtualButton(a, 3, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(b, 5, SDL_PRESSED);
  InputModule::PassCoreData(core_);
  ASSERT_NE(InputModuleState().joystick, nullptr);
  EXPECT_EQ(InputModuleState().joystick->ProductName(), "Pad A");
  EXPECT_EQ(IsJoystickButtonDown(3), 1);
  EXPECT_EQ(IsJoystickButtonDown(5), 0);

  // Unplugged: every query reads the cleared state.
  for (SDL_Joystick* pad : pads_) SDL_JoystickClose(pad);
  pads_.clear();
  for (int i = SDL_NumJoysticks() - 1; i >= 0; --i) SDL_JoystickDetachVirtual(i);
  EXPECT_EQ(IsJoystickButtonDown(3), 0);
  EXPECT_EQ(GetJoystickX(), 0);
}

}  // namespace
