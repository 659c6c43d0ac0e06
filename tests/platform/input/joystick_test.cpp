#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input/input.h"

namespace input = platform::input;

namespace {

std::vector<input::DeviceInstance> ListControllers(input::Input* api) {
  std::vector<input::DeviceInstance> found;
  api->EnumDevices(
      input::DEVCLASS_GAMECTRL,
      [](const input::DeviceInstance& device, void* context) {
        static_cast<std::vector<input::DeviceInstance>*>(context)->push_back(device);
        return true;
      },
      &found);
  return found;
}

class Controllers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    ASSERT_EQ(input::CreateInput(&api), input::kOk);
  }
  void TearDown() override {
    if (device) device->Release();
    if (pad) SDL_JoystickClose(pad);
    if (api) api->Release();
    SDL_Quit();
  }

  // Attaches a virtual controller, opens it through the service the way the engine does, and keeps
  // SDL's own handle to move its sticks.
  void AttachAndOpen() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 6;
    desc.nbuttons = 16;
    desc.nhats = 1;
    desc.name = "Test Pad";
    padIndex = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(padIndex, 0) << SDL_GetError();

    const std::vector<input::DeviceInstance> found = ListControllers(api);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].productName, "Test Pad");
    EXPECT_EQ(found[0].deviceClass, input::DEVCLASS_GAMECTRL);
    ASSERT_EQ(api->CreateDevice(found[0].id, &device), input::kOk);
    ASSERT_EQ(device->SetCooperativeLevel(nullptr, input::COOP_EXCLUSIVE | input::COOP_BACKGROUND), input::kOk);
    ASSERT_EQ(device->SetDataFormat(input::DataFormat::Joystick2), input::kOk);
    for (uint32_t axis : {input::JOFS_X, input::JOFS_Y, input::JOFS_Z}) {
      ASSERT_EQ(device->SetAxisRange(axis, -1000, 1000), input::kOk);
    }
    EXPECT_EQ(device->SetAutoCenter(false), input::kOk);
    ASSERT_EQ(device->Acquire(), input::kOk);
    EXPECT_EQ(device->ProductName(), "Test Pad");
    pad = SDL_JoystickOpen(padIndex);
    ASSERT_NE(pad, nullptr);
  }

  input::Result Read(input::JoystickState& state) {
    EXPECT_EQ(device->Poll(), input::kOk);
    return device->GetDeviceState(sizeof state, &state);
  }

  input::Input* api = nullptr;
  input::Device* device = nullptr;
  SDL_Joystick* pad = nullptr;
  int padIndex = -1;
};

}  // namespace

TEST_F(Controllers, NoControllerIsANormalState) {
  if (SDL_NumJoysticks() > 0) GTEST_SKIP() << "a real controller is attached";
  EXPECT_TRUE(ListControllers(api).empty());
  input::Device* none = nullptr;
  EXPECT_EQ(api->CreateDevice({input::DeviceKind::Joystick, 0}, &none), input::kDeviceNotRegistered);
  EXPECT_EQ(none, nullptr);
}

TEST_F(Controllers, AxesAreScaledToTheirRange) {
  ASSERT_NO_FATAL_FAILURE(AttachAndOpen());
  struct Case {
    Sint16 sdl;
    int32_t ranged;  // x, y, z at -1000..1000
    int32_t full;    // rx, left at the default 0..65535
  };
  for (const Case& c : {Case{-32768, -1000, 0}, Case{-16384, -500, 16384}, Case{-1, 0, 32767}, Case{0, 0, 32768},
                        Case{16384, 500, 49152}, Case{32767, 1000, 65535}}) {
    for (int axis = 0; axis < 4; ++axis) SDL_JoystickSetVirtualAxis(pad, axis, c.sdl);
    input::JoystickState state;
    ASSERT_EQ(Read(state), input::kOk);
    EXPECT_EQ(state.x, c.ranged) << c.sdl;
    EXPECT_EQ(state.y, c.ranged) << c.sdl;
    EXPECT_EQ(state.z, c.ranged) << c.sdl;
    EXPECT_EQ(state.rx, c.full) << c.sdl;
  }
}

TEST_F(Controllers, ButtonsAndHatRead) {
  ASSERT_NO_FATAL_FAILURE(AttachAndOpen());
  SDL_JoystickSetVirtualButton(pad, 0, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(pad, 4, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(pad, 15, SDL_PRESSED);
  input::JoystickState state;
  ASSERT_EQ(Read(state), input::kOk);
  for (int i = 0; i < 128; ++i) EXPECT_EQ(state.buttons[i], (i == 0 || i == 4 || i == 15) ? 0x80 : 0) << i;

  struct Case {
    Uint8 hat;
    uint32_t pov;
  };
  for (const Case& c : {Case{SDL_HAT_CENTERED, input::kPovCentred}, Case{SDL_HAT_UP, 0}, Case{SDL_HAT_RIGHTUP, 4500},
                        Case{SDL_HAT_RIGHT, 9000}, Case{SDL_HAT_RIGHTDOWN, 13500}, Case{SDL_HAT_DOWN, 18000},
                        Case{SDL_HAT_LEFTDOWN, 22500}, Case{SDL_HAT_LEFT, 27000}, Case{SDL_HAT_LEFTUP, 31500}}) {
    SDL_JoystickSetVirtualHat(pad, 0, c.hat);
    ASSERT_EQ(Read(state), input::kOk);
    EXPECT_EQ(state.pov[0], c.pov) << int(c.hat);
    EXPECT_EQ(state.pov[1], input::kPovCentred);
  }

  // The short layout carries the first 32 buttons.
  ASSERT_EQ(device->Unacquire(), input::kOk);
  ASSERT_EQ(device->SetDataFormat(input::DataFormat::Joystick), input::kOk);
  ASSERT_EQ(device->Acquire(), input::kOk);
  input::JoystickState shortState{};
  ASSERT_EQ(device->GetDeviceState(input::kJoystickStateSize, &shortState), input::kOk);
  EXPECT_EQ(shortState.buttons[4], 0x80);
}

TEST_F(Controllers, AnUnpluggedControllerReadsIdle) {
  ASSERT_NO_FATAL_FAILURE(AttachAndOpen());
  SDL_JoystickSetVirtualButton(pad, 2, SDL_PRESSED);
  SDL_JoystickSetVirtualAxis(pad, 0, -32768);
  SDL_JoystickSetVirtualHat(pad, 0, SDL_HAT_LEFT);
  input::JoystickState state;
  ASSERT_EQ(Read(state), input::kOk);
  ASSERT_EQ(state.buttons[2], 0x80);

  ASSERT_EQ(SDL_JoystickDetachVirtual(padIndex), 0);
  EXPECT_TRUE(input::Failed(device->Poll()));
  EXPECT_TRUE(input::Failed(device->GetDeviceState(sizeof state, &state)));
  EXPECT_EQ(state.buttons[2], 0);
  EXPECT_EQ(state.x, 0);
  EXPECT_EQ(state.pov[0], input::kPovCentred);
}

TEST_F(Controllers, DevicesCheckTheirFormatAndAcquisition) {
  input::Device* keyboard = nullptr;
  ASSERT_EQ(api->CreateDevice(input::kSystemKeyboard, &keyboard), input::kOk);
  EXPECT_EQ(keyboard->SetDataFormat(input::DataFormat::Mouse), input::kInvalidParam);
  uint8_t keys[input::kKeyboardStateSize];
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), input::kInvalidParam);  // no format yet
  EXPECT_EQ(keyboard->Acquire(), input::kInvalidParam);
  ASSERT_EQ(keyboard->SetDataFormat(input::DataFormat::Keyboard), input::kOk);
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, input::COOP_FOREGROUND), input::kInvalidParam);
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, input::COOP_NONEXCLUSIVE | input::COOP_FOREGROUND), input::kOk);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), input::kNotAcquired);
  ASSERT_EQ(keyboard->Acquire(), input::kOk);
  EXPECT_EQ(keyboard->GetDeviceState(16, keys), input::kInvalidParam);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), input::kOk);
  EXPECT_EQ(keyboard->SetDataFormat(input::DataFormat::Keyboard), input::kAcquired);
  EXPECT_EQ(keyboard->SetAxisRange(input::JOFS_X, -1, 1), input::kUnsupported);
  keyboard->Release();

  ASSERT_NO_FATAL_FAILURE(AttachAndOpen());
  EXPECT_EQ(device->SetAxisRange(input::JOFS_X, -1000, 1000), input::kAcquired);
  device->Unacquire();
  EXPECT_EQ(device->SetAxisRange(input::JOFS_X, 5, 5), input::kInvalidParam);
  EXPECT_EQ(device->SetAxisRange(2, -1, 1), input::kObjectNotFound);
  EXPECT_EQ(device->SetAxisRange(32, -1, 1), input::kObjectNotFound);
}
