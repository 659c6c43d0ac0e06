// Dialog boxes: the procedure's messages, list boxes, texts and numbers of controls, and input through
// the UI library's input record, from a raw frame hook and from the test script.
#include <SDL.h>
#include <imgui.h>

#include <cstring>
#include <functional>
#include <memory>

#include "engine/core/core_state.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"
#include "tests/platform/dialogs/dialog_fixture.h"

namespace dialog_test {
namespace {

std::string ItemText(pd::Control* list, intptr_t index) {
  const intptr_t length = pd::SendMessage(list, pd::LB_GETTEXTLEN, uintptr_t(index), 0);
  if (length < 0) return "<LB_ERR>";
  std::string text(size_t(length) + 1, '\0');
  pd::SendMessage(list, pd::LB_GETTEXT, uintptr_t(index), reinterpret_cast<intptr_t>(text.data()));
  text.resize(size_t(length));
  return text;
}

intptr_t Add(pd::Control* list, const char* text) {
  return pd::SendMessage(list, pd::LB_ADDSTRING, 0, reinterpret_cast<intptr_t>(text));
}

intptr_t SelectString(pd::Control* list, intptr_t start, const char* text) {
  return pd::SendMessage(list, pd::LB_SELECTSTRING, uintptr_t(start), reinterpret_cast<intptr_t>(text));
}

TEST_F(DialogTest, InitDialogComesFirstAndEndDialogThereShowsNoFrame) {
  intptr_t parameter = 0;
  g_handler = [&](pd::Dialog* dialog, uint32_t message, uintptr_t, intptr_t lParam) -> intptr_t {
    if (message == pd::WM_INITDIALOG) {
      parameter = lParam;
      pd::EndDialog(dialog, 42);
    }
    return 0;
  };
  const int frames = pd::test::FramesDrawn();
  EXPECT_EQ(Open(), 42);
  EXPECT_EQ(parameter, 77);
  ASSERT_EQ(g_received.size(), 1u);
  EXPECT_EQ(g_received[0].message, uint32_t(pd::WM_INITDIALOG));
  EXPECT_EQ(pd::test::FramesDrawn(), frames);
}

TEST_F(DialogTest, ListBoxesKeepOrderSelectByPrefixAndRefuseBadIndexes) {
  g_handler = [](pd::Dialog* dialog, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
    if (message != pd::WM_INITDIALOG) return 0;
    pd::Control* list = pd::GetDlgItem(dialog, kList);
    pd::Control* sorted = pd::GetDlgItem(dialog, kSortedList);
    for (const char* name : {"E_DOOR", "E_BOOST", "E_BOOSTV", "e_apple"}) Add(list, name);
    for (const char* name : {"wood.jpg", "Brick.jpg", "apple.bmp", "brick.jpg"}) Add(sorted, name);
    EXPECT_EQ(pd::SendMessage(list, pd::LB_GETCOUNT, 0, 0), 4);
    // Unsorted lists keep the order of adding; sorted ones ignore letter case, equals after equals.
    EXPECT_EQ(ItemText(list, 0), "E_DOOR");
    EXPECT_EQ(ItemText(list, 3), "e_apple");
    const char* inOrder[] = {"apple.bmp", "Brick.jpg", "brick.jpg", "wood.jpg"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ItemText(sorted, i), inOrder[i]) << i;

    EXPECT_EQ(pd::SendMessage(list, pd::LB_GETCURSEL, 0, 0), pd::LB_ERR);  // nothing selected yet
    // The text matches the beginning of an entry, letter case ignored, from after the start index.
    EXPECT_EQ(SelectString(list, -1, "E_BOOST"), 1);
    EXPECT_EQ(SelectString(list, 1, "E_BOOST"), 2);
    EXPECT_EQ(SelectString(list, 2, "e_boost"), 1);  // wraps round
    EXPECT_EQ(SelectString(list, -1, "E_NULL"), pd::LB_ERR);
    EXPECT_EQ(pd::SendMessage(list, pd::LB_GETCURSEL, 0, 0), 1);  // a failed search keeps the selection

    EXPECT_EQ(ItemText(list, 4), "<LB_ERR>");
    EXPECT_EQ(pd::SendMessage(list, pd::LB_GETTEXT, uintptr_t(-1), 0), pd::LB_ERR);
    EXPECT_EQ(pd::SendMessage(list, pd::LB_SETCURSEL, 9, 0), pd::LB_ERR);
    EXPECT_EQ(pd::SendMessage(pd::GetDlgItem(dialog, kEdit), pd::LB_GETCOUNT, 0, 0), pd::LB_ERR);
    EXPECT_EQ(pd::SendMessage(nullptr, pd::LB_GETCURSEL, 0, 0), pd::LB_ERR);
    pd::SendMessage(list, pd::LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(pd::SendMessage(list, pd::LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(pd::SendMessage(list, pd::LB_GETCURSEL, 0, 0), pd::LB_ERR);
    pd::EndDialog(dialog, 0);
    return 0;
  };
  EXPECT_EQ(Open(), 0);
}

TEST_F(DialogTest, TextsAreCutToTheBufferAndNumbersReadAsWholeNumbersOnly) {
  g_handler = [](pd::Dialog* dialog, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
    if (message != pd::WM_INITDIALOG) return 0;
    char buffer[6];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_TRUE(pd::SetDlgItemText(dialog, kEdit, "Untitled map"));
    EXPECT_EQ(pd::GetDlgItemText(dialog, kEdit, buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "Untit");
    EXPECT_EQ(pd::GetDlgItemText(dialog, kLabel, buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "Label");
    EXPECT_FALSE(pd::SetDlgItemText(dialog, 4242, "x"));
    EXPECT_EQ(pd::GetDlgItem(dialog, 4242), nullptr);
    EXPECT_EQ(pd::GetDlgItemText(dialog, 4242, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");

    struct Case {
      const char* text;
      bool isSigned, translated;
      uint32_t value;
    };
    const Case cases[] = {
        {"420000", false, true, 420000}, {"  7\t", false, true, 7},       {"-45", false, false, 0},
        {"-45", true, true, uint32_t(-45)}, {"1.5", false, false, 0},      {"", false, false, 0},
        {"12abc", false, false, 0},      {"4294967295", false, true, 4294967295u},
        {"4294967296", false, false, 0}, {"2147483648", true, false, 0},   {"-2147483648", true, true, 0x80000000u},
        {"+5", false, false, 0},         {"- 5", true, false, 0},
    };
    for (const Case& c : cases) {
      pd::SetDlgItemText(dialog, kEdit, c.text);
      bool translated = !c.translated;
      EXPECT_EQ(pd::GetDlgItemInt(dialog, kEdit, &translated, c.isSigned), c.value) << '"' << c.text << '"';
      EXPECT_EQ(translated, c.translated) << '"' << c.text << '"';
    }
    pd::EndDialog(dialog, 0);
    return 0;
  };
  EXPECT_EQ(Open(), 0);
}

// The UI library's own input record, set by hand each frame: the pointer on OK, pressed, released.
TEST_F(DialogTest, ClickFedThroughTheInputRecordEndsWithOk) {
  int frame = 0;
  pd::test::SetFrameHook([&] {
    float x0, y0, x1, y1;
    if (!pd::test::ControlRect(pd::IDOK, x0, y0, x1, y1)) return;
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2((x0 + x1) / 2, (y0 + y1) / 2);
    io.MouseDown[0] = frame == 1;
    ++frame;
  });
  EXPECT_EQ(Open(), pd::IDOK);
  EXPECT_EQ(Commands(), (std::vector<std::pair<uint32_t, uint32_t>>{{pd::IDOK, pd::BN_CLICKED}}));
  EXPECT_EQ(pd::test::IdleEscapes(), 0);
}

// A press and its release that reach the window between two frames: the dialog sees the press for
// one frame and the release in the next, so the click counts. Mouse and keyboard alike.
TEST_F(DialogTest, APressAndReleaseBetweenTwoFramesStillActs) {
  const auto pushButton = [](uint32_t type) {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    ASSERT_TRUE(pd::test::ControlRect(pd::IDCANCEL, x0, y0, x1, y1));
    SDL_Event event{};
    event.type = type;
    event.button.windowID = g_core->window->Id();
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = int((x0 + x1) / 2);
    event.button.y = int((y0 + y1) / 2);
    SDL_PushEvent(&event);
  };
  const auto pushKey = [](uint32_t type) {
    SDL_Event event{};
    event.type = type;
    event.key.windowID = g_core->window->Id();
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = SDL_SCANCODE_RETURN;
    event.key.keysym.sym = SDLK_RETURN;
    SDL_PushEvent(&event);
  };
  // Both events are pushed in the second frame (the first one placed the button) and reach the
  // dialog together at the start of the third.
  const auto pushAtSecondFrame = [](std::function<void()> push) {
    auto frame = std::make_shared<int>(0);
    pd::test::SetFrameHook([frame, push] {
      if (++*frame == 2) push();
    });
  };
  const int idle = pd::test::IdleEscapes();
  pushAtSecondFrame([&] {
    pushButton(SDL_MOUSEBUTTONDOWN);
    pushButton(SDL_MOUSEBUTTONUP);
  });
  EXPECT_EQ(Open(), pd::IDCANCEL);
  EXPECT_EQ(pd::test::IdleEscapes(), idle) << "the click ended the dialog, not the idle Escape";

  pushAtSecondFrame([&] {
    pushKey(SDL_KEYDOWN);
    pushKey(SDL_KEYUP);
  });
  EXPECT_EQ(Open(), pd::IDOK) << "Return, the default button";
  EXPECT_EQ(pd::test::IdleEscapes(), idle);
}

TEST_F(DialogTest, ListClicksNotifyTheSelectionAndEditsTakeWhatTheyAllow) {
  std::vector<intptr_t> selections;
  std::string text, number;
  g_handler = [&](pd::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
    if (message == pd::WM_INITDIALOG) {
      for (const char* name : {"First", "Second", "Third"}) Add(pd::GetDlgItem(dialog, kList), name);
      for (int i = 0; i < 40; ++i) Add(pd::GetDlgItem(dialog, kSortedList), ("Entry " + std::to_string(100 + i)).c_str());
      return 0;
    }
    if (message == pd::WM_COMMAND && pd::CommandId(wParam) == kList)
      selections.push_back(pd::SendMessage(reinterpret_cast<pd::Control*>(lParam), pd::LB_GETCURSEL, 0, 0));
    if (message == pd::WM_COMMAND && pd::CommandId(wParam) == pd::IDOK) {
      text = pd::test::ControlText(kEdit);
      number = pd::test::ControlText(kNumberEdit);
    }
    return EndOnOkOrCancel(dialog, message, wParam, lParam);
  };
  pd::test::ClickItem(kList, "Third");
  pd::test::DoubleClickItem(kList, "Second");
  pd::test::ClickItem(kSortedList, "Entry 139");  // scrolled into view first; a list without notify
  pd::test::TypeText(kEdit, "Level #1 %s");
  pd::test::TypeText(kNumberEdit, "a1-2.b3");
  pd::test::Run([] { EXPECT_EQ(pd::test::ListSelection(kSortedList), 39); });
  pd::test::PressEnter();  // the default button
  EXPECT_EQ(Open(), pd::IDOK);
  const std::vector<std::pair<uint32_t, uint32_t>> expected = {{kList, pd::LBN_SELCHANGE},
                                                               {kList, pd::LBN_SELCHANGE},
                                                               {kList, pd::LBN_SELCHANGE},
                                                               {kList, pd::LBN_DBLCLK},
                                                               {pd::IDOK, pd::BN_CLICKED}};
  EXPECT_EQ(Commands(), expected);
  EXPECT_EQ(selections, (std::vector<intptr_t>{2, 1, 1, 1}));
  EXPECT_EQ(text, "Level #1 %s");
  EXPECT_EQ(number, "123");
}

TEST_F(DialogTest, EscapeCancelsAndTheProcedureDecidesWhenToEnd) {
  pd::test::PressEscape();
  EXPECT_EQ(Open(), pd::IDCANCEL);
  EXPECT_EQ(Commands(), (std::vector<std::pair<uint32_t, uint32_t>>{{pd::IDCANCEL, pd::BN_CLICKED}}));

  // The dialog stays until its procedure ends it: this one ignores the first Cancel.
  g_received.clear();
  int cancels = 0;
  g_handler = [&](pd::Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t) -> intptr_t {
    if (message == pd::WM_COMMAND && pd::CommandId(wParam) == pd::IDCANCEL && ++cancels == 2) pd::EndDialog(dialog, 9);
    return 1;
  };
  pd::test::Click(pd::IDCANCEL);
  pd::test::Click(pd::IDCANCEL);
  EXPECT_EQ(Open(), 9);
  EXPECT_EQ(cancels, 2);
}

TEST_F(DialogTest, ClosingTheWindowCancelsAndTheQuitStays) {
  pd::test::Run(PushWindowClose);
  EXPECT_EQ(Open(), pd::IDCANCEL);
  EXPECT_EQ(Commands(), (std::vector<std::pair<uint32_t, uint32_t>>{{pd::IDCANCEL, pd::BN_CLICKED}}));
  ExpectTheCloseLeftForTheProgram();
}

TEST_F(DialogTest, DrawnOverTheLastFrameAndTheDeviceDrawsOnAfterwards) {
  namespace gfx = platform::gfx;
  gfx::Device* device = GetDirect3DDevice();
  ASSERT_EQ(device->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFFFF0000, 1.0f, 0), gfx::kOk);
  pd::test::CaptureFrames(true);
  pd::test::Run([] {});  // one frame drawn before the script runs out
  pd::test::PressEscape();
  EXPECT_EQ(Open(), pd::IDCANCEL);
  pd::test::CaptureFrames(false);
  int width = 0, height = 0;
  const std::vector<uint32_t>& frame = pd::test::LastFrame(&width, &height);
  ASSERT_EQ(width, 640);
  ASSERT_EQ(height, 480);
  EXPECT_EQ(frame[5 * 640 + 5] & 0xFFFFFF, 0xFF0000u) << "the frame around the dialog";
  EXPECT_NE(frame[240 * 640 + 320] & 0xFFFFFF, 0xFF0000u) << "the dialog in the middle";

  // The device's own drawing is unharmed: a clear and a pre-transformed coloured triangle.
  struct Vertex {
    float x, y, z, rhw;
    uint32_t colour;
  };
  const Vertex triangle[] = {{0, 0, 0.5f, 1, 0xFF00FF00}, {640, 0, 0.5f, 1, 0xFF00FF00}, {0, 480, 0.5f, 1, 0xFF00FF00}};
  ASSERT_EQ(device->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF0000FF, 1.0f, 0), gfx::kOk);
  device->BeginScene();
  device->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE);
  device->SetTexture(0, nullptr);
  device->SetRenderState(gfx::RS_LIGHTING, 0);
  ASSERT_EQ(device->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, 1, triangle, sizeof(Vertex)), gfx::kOk);
  device->EndScene();
  gfx::Surface* backBuffer = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, 0, 0, &backBuffer), gfx::kOk);
  const std::vector<uint32_t> pixels = engine_test::ReadSurfacePixels(backBuffer);
  backBuffer->Release();
  ASSERT_EQ(pixels.size(), 640u * 480u);
  EXPECT_EQ(pixels[10 * 640 + 10] & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(pixels[470 * 640 + 630] & 0xFFFFFF, 0x0000FFu);
}

TEST_F(DialogTest, RefusedWithoutProcedureDeviceOrWhileAnotherIsOpen) {
  EXPECT_EQ(pd::DialogBoxParam(kResource, Host(), nullptr, 0), -1);
  EXPECT_EQ(pd::DialogBoxParam(kResource, pd::DialogHost{g_core->window, nullptr}, TestProc, 0), -1);
  EXPECT_EQ(pd::DialogBoxParam(kResource, pd::DialogHost{nullptr, GetDirect3DDevice()}, TestProc, 0), -1);
  intptr_t nested = 0;
  g_handler = [&](pd::Dialog* dialog, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
    if (message != pd::WM_INITDIALOG) return 0;
    nested = pd::DialogBoxParam(kResource, Host(), TestProc, 0);
    pd::EndDialog(dialog, 3);
    return 0;
  };
  EXPECT_EQ(Open(), 3);
  EXPECT_EQ(nested, -1);
}

}  // namespace
}  // namespace dialog_test
