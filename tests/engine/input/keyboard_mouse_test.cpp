// Keys, buttons, wheel, pointer position and typed text through the engine window.
#include <climits>
#include <string>

#include "platform/input/key_codes.h"
#include "tests/engine/input/input_fixture.h"

namespace in = platform::input;

namespace {

// Linux input codes the X server is driven with (X key code = input code + 8).
enum : int {
  kLinuxEscape = 1,
  kLinuxBackspace = 14,
  kLinuxI = 23,
  kLinuxReturn = 28,
  kLinuxA = 30,
  kLinuxH = 35,
  kLinuxX = 45,
  kLinuxUp = 103,
  kLinuxLeft = 105,
  kLinuxRight = 106,
  kLinuxDown = 108,
};

std::string TakeTypedText() {
  char* typed = GetTypedText();
  std::string text = typed ? typed : "<null>";
  CoreAllocFree(&typed, 0);
  return text;
}

TEST_F(InputTest, KeysReadByScanCodeAndOtherCodesReadUp) {
  Key(kLinuxA, true);
  ASSERT_TRUE(PumpUntil([] { return IsKeyDown(in::KEY_A) == 1; }));
  EXPECT_EQ(GetPressedScanCode(), in::KEY_A);
  // Control files are edited by hand: codes outside the key table are never down.
  for (int32_t code : {in::KEY_A + 256, in::KEY_A - 256, -1, 256, INT_MAX, INT_MIN})
    EXPECT_EQ(IsKeyDown(code), 0) << code;
  EXPECT_EQ(IsKeyDown(in::KEY_S), 0);
  Key(kLinuxA, false);
  ASSERT_TRUE(PumpUntil([] { return IsKeyDown(in::KEY_A) == 0; }));
  EXPECT_EQ(GetPressedScanCode(), 0);
}

TEST_F(InputTest, ArrowEscapeAndReturnQueries) {
  struct Case {
    int linuxCode;
    uint32_t (*query)();
    const char* name;
  };
  const Case cases[] = {{kLinuxUp, UpKeyPressed, "up"},
                        {kLinuxDown, DownKeyPressed, "down"},
                        {kLinuxLeft, LeftKeyPressed, "left"},
                        {kLinuxRight, RightKeyPressed, "right"},
                        {kLinuxEscape, EscapeKeyPressed, "escape"},
                        {kLinuxReturn, ReturnKeyPressed, "return"}};
  for (const Case& c : cases) {
    Key(c.linuxCode, true);
    ASSERT_TRUE(PumpUntil([&] { return c.query() == 1; })) << c.name;
    for (const Case& other : cases) {
      if (&other != &c) {
        EXPECT_EQ(other.query(), 0u) << c.name << " down, " << other.name << " asked";
      }
    }
    Key(c.linuxCode, false);
    ASSERT_TRUE(PumpUntil([&] { return c.query() == 0; })) << c.name;
  }
}

TEST_F(InputTest, LeftAndRightButtonsReadThree) {
  Button(1, true);
  Button(3, true);
  ASSERT_TRUE(PumpUntil([] { return GetMouseButtons() == 3; }));
  Button(3, false);
  ASSERT_TRUE(PumpUntil([] { return GetMouseButtons() == 1; }));
  Button(1, false);
  ASSERT_TRUE(PumpUntil([] { return GetMouseButtons() == 0; }));
}

TEST_F(InputTest, WheelAddsUpPerNotch) {
  const uint32_t start = GetMouseWheel();
  for (int notch = 0; notch < 2; ++notch) {
    Button(4, true);
    Button(4, false);
  }
  EXPECT_TRUE(PumpUntil([&] { return GetMouseWheel() - start == 240; })) << GetMouseWheel() - start;
  Button(5, true);
  Button(5, false);
  EXPECT_TRUE(PumpUntil([&] { return GetMouseWheel() - start == 120; })) << GetMouseWheel() - start;
  // Wheel movement is counted once, whichever query reads it.
  Button(4, true);
  Button(4, false);
  EXPECT_TRUE(PumpUntil([&] { return GetMouseButtons() == 0 && GetMouseWheel() - start == 240; }));
}

TEST_F(InputTest, PointerPositionComesFromTheWindow) {
  MovePointer(50, 60);
  EXPECT_TRUE(PumpUntil([] { return GetMouseX() == 50 && GetMouseY() == 60; })) << GetMouseX() << "," << GetMouseY();

  HideMouseCursor();
  EXPECT_EQ(core_->cursorVisible, 0);
  HideMouseCursor();
  EXPECT_EQ(core_->cursorVisible, 0);
  ShowMouseCursor();
  EXPECT_EQ(core_->cursorVisible, 1);
}

TEST_F(InputTest, TypedTextKeepsBackspaceAndReturn) {
  EXPECT_EQ(TakeTypedText(), "");  // nothing typed yet: an empty string, not null
  for (int key : {kLinuxH, kLinuxI, kLinuxBackspace, kLinuxReturn}) Tap(key);
  EXPECT_TRUE(PumpUntil([] { return TakeTypedText() == "hi\b\r"; })) << TakeTypedText();
  EXPECT_EQ(TakeTypedText(), "hi\b\r");  // reading does not empty it
  ClearTypedText();
  EXPECT_EQ(TakeTypedText(), "");
  Tap(kLinuxX);
  EXPECT_TRUE(PumpUntil([] { return TakeTypedText() == "x"; })) << TakeTypedText();
}

TEST_F(InputTest, LostDevicesReadAsNothingPressed) {
  Key(kLinuxA, true);
  ASSERT_TRUE(PumpUntil([] { return IsKeyDown(in::KEY_A) == 1; }));
  InputModule::Destructor();  // every device gone
  EXPECT_EQ(IsKeyDown(in::KEY_A), 0);
  EXPECT_EQ(GetPressedScanCode(), 0);
  EXPECT_EQ(GetMouseButtons(), 0u);
  Key(kLinuxA, false);
}

}  // namespace
