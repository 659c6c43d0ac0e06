// The modal loop on the UI library: its SDL and OpenGL 2 back ends drawing into the engine window
// with the device's GL context. The device's state cache is told after every frame that GL was
// touched, so it sends its states again.
#include "platform/dialogs/modal_session.h"

#include <SDL.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <cfloat>
#include <cstring>
#include <vector>

#include "platform/dialogs/scripted_input.h"
#include "platform/fonts/face_match.h"
#include "platform/gfx/device.h"
#include "platform/gfx/gl_interop.h"
#include "platform/window/window.h"

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

namespace platform::dialogs {

namespace {

namespace gfx = platform::gfx;
namespace pw = platform::window;

constexpr uint32_t kFrameMilliseconds = 15;
constexpr uint32_t kReleaseWaitMilliseconds = 1000;

struct SessionState {
  bool active = false;
  ModalSession* session = nullptr;
  SDL_Window* window = nullptr;
  ImGuiContext* context = nullptr;
  GLuint backdrop = 0;  // the frame the dialog opened over
  int cursorShown = SDL_ENABLE;
  uint32_t frameStart = 0;
  // The pointer as the window's own events place it (window pixels) and its buttons: the UI library's
  // back end would take the desktop pointer less the window's position, which the window system may
  // report late or not at all, and miss a press and release that fall between two frames.
  float pointerX = -FLT_MAX, pointerY = -FLT_MAX;
  bool buttonDown[3] = {}, buttonPressed[3] = {};
  // Keys by scan code, kept the same way: a key pressed and let go between two frames counts as held
  // for one frame. A key already held when the session began is the program's (the key that opened
  // the dialog): it presses nothing here until it has been let go.
  bool keyDown[SDL_NUM_SCANCODES] = {}, keyPressed[SDL_NUM_SCANCODES] = {}, keyFed[SDL_NUM_SCANCODES] = {};
  bool keyHeldBefore[SDL_NUM_SCANCODES] = {};
};
SessionState g_session;

int ButtonIndex(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
  }
}

void TrackPointer(const SDL_Event& event) {
  switch (event.type) {
    case SDL_MOUSEMOTION:
      g_session.pointerX = float(event.motion.x);
      g_session.pointerY = float(event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      g_session.pointerX = float(event.button.x);
      g_session.pointerY = float(event.button.y);
      const int i = ButtonIndex(event.button.button);
      if (i < 0) break;
      g_session.buttonDown[i] = event.type == SDL_MOUSEBUTTONDOWN;
      if (g_session.buttonDown[i]) g_session.buttonPressed[i] = true;
      break;
    }
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_LEAVE) g_session.pointerX = g_session.pointerY = -FLT_MAX;
      break;
    default:
      break;
  }
}

void TrackKey(const SDL_Event& event) {
  if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return;
  const int code = event.key.keysym.scancode;
  if (code < 0 || code >= SDL_NUM_SCANCODES) return;
  const bool down = event.type == SDL_KEYDOWN;
  if (!down) g_session.keyHeldBefore[code] = false;
  if (down && !g_session.keyDown[code] && !g_session.keyHeldBefore[code]) g_session.keyPressed[code] = true;
  g_session.keyDown[code] = down;
}

// The pointer, buttons and keys of the window's events into the UI library's input, after its back
// end's. A press seen since the last frame counts as held for this one, so a quick click or key is
// not lost.
void FeedWindowInput() {
  ImGuiIO& io = ImGui::GetIO();
  io.MousePos = ImVec2(g_session.pointerX, g_session.pointerY);
  for (int i = 0; i < 3; ++i) {
    io.MouseDown[i] = g_session.buttonDown[i] || g_session.buttonPressed[i];
    g_session.buttonPressed[i] = false;
  }
  for (int code = 0; code < SDL_NUM_SCANCODES; ++code) {
    if (g_session.keyHeldBefore[code]) {
      io.KeysDown[code] = false;
    } else if (g_session.keyPressed[code] || g_session.keyFed[code]) {
      io.KeysDown[code] = g_session.keyDown[code] || g_session.keyPressed[code];
    }
    g_session.keyFed[code] = g_session.keyPressed[code];
    g_session.keyPressed[code] = false;
  }
}

// The dialogs' font: the resources name an 8-point sans-serif face; the metric twin of the common
// sans-serif face stands in, at the height of an 8-point line at 96 dots per inch (13 pixels). The UI
// library's own font is the fallback.
constexpr float kDialogFontPixels = 13.0f;
void LoadDialogFont() {
  ImGuiIO& io = ImGui::GetIO();
  const auto face = platform::fonts::MatchFace("Arial", 400, false, 0);
  ImFontConfig config;
  config.OversampleH = 1;
  config.PixelSnapH = true;
  if (!face || !io.Fonts->AddFontFromFileTTF(face->path.c_str(), kDialogFontPixels, &config)) io.Fonts->AddFontDefault();
  io.Fonts->Build();  // measured before the first frame: the dialog's units come from it
}

// Keyboard and mouse events belong to the dialog while it is open; the window's own events (close,
// focus, size) go on to the window as well, and so do pointer moves, so the program knows where the
// pointer is when the dialog has gone (they press nothing).
bool TakeEvent(const SDL_Event& event) {
  if (!g_session.active) return false;
  ImGui_ImplSDL2_ProcessEvent(&event);
  TrackPointer(event);
  TrackKey(event);
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_TEXTEDITING:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

// The back buffer as it stands (the last frame drawn) as a texture; 0 when it cannot be read.
GLuint CaptureBackdrop(gfx::Device* device) {
  gfx::Surface* backBuffer = nullptr;
  if (gfx::Failed(device->GetBackBuffer(0, 0, 0, &backBuffer)) || !backBuffer) return 0;
  gfx::SurfaceDesc desc{};
  gfx::LockedRect locked{};
  GLuint texture = 0;
  const bool argb = gfx::Succeeded(backBuffer->GetDesc(&desc)) &&
                    (desc.format == gfx::FMT_A8R8G8B8 || desc.format == gfx::FMT_X8R8G8B8);
  if (argb && gfx::Succeeded(backBuffer->LockRect(&locked, nullptr, gfx::LOCK_READONLY))) {
    std::vector<uint32_t> pixels(size_t(desc.width) * desc.height);
    for (uint32_t y = 0; y < desc.height; ++y) {
      std::memcpy(&pixels[size_t(y) * desc.width], static_cast<const uint8_t*>(locked.bits) + size_t(y) * locked.pitch,
                  size_t(desc.width) * 4);
    }
    backBuffer->UnlockRect();
    for (uint32_t& p : pixels) p |= 0xFF000000u;  // an X8 format's fourth byte means nothing
    gfx::MakeDeviceContextCurrent(device);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(desc.width), GLsizei(desc.height), 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    gfx::InvalidateDeviceGlState(device);
  }
  backBuffer->Release();
  return texture;
}

// Whatever the device left set that the UI library's renderer does not set itself: it draws with
// client arrays on texture unit 0 into the window's own framebuffer.
void PrepareGlForUi() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDrawBuffer(GL_BACK);
  glUseProgram(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  GLint units = 1;
  glGetIntegerv(GL_MAX_TEXTURE_COORDS, &units);
  for (GLint unit = units - 1; unit >= 0; --unit) {
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    glClientActiveTexture(GLenum(GL_TEXTURE0 + unit));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_CUBE_MAP);
    for (GLenum gen : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q}) glDisable(gen);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
  }
  glMatrixMode(GL_MODELVIEW);
  for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_SECONDARY_COLOR_ARRAY, GL_FOG_COORD_ARRAY})
    glDisableClientState(array);
  GLint attributes = 0;
  glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &attributes);
  for (GLint i = 0; i < attributes; ++i) glDisableVertexAttribArray(GLuint(i));
  for (GLenum cap : {GL_FOG, GL_ALPHA_TEST, GL_STENCIL_TEST, GL_DEPTH_TEST, GL_LIGHTING, GL_COLOR_SUM,
                     GL_POLYGON_OFFSET_FILL, GL_COLOR_LOGIC_OP, GL_POINT_SPRITE, GL_CULL_FACE, GL_SCISSOR_TEST})
    glDisable(cap);
  GLint planes = 0;
  glGetIntegerv(GL_MAX_CLIP_PLANES, &planes);
  for (GLint i = 0; i < planes; ++i) glDisable(GLenum(GL_CLIP_PLANE0 + i));
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
}

void StyleDialogs() {
  ImGui::StyleColorsLight();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 0;
  style.FrameRounding = 0;
  style.ScrollbarRounding = 0;
  style.GrabRounding = 0;
  style.WindowBorderSize = 1;
  style.FrameBorderSize = 1;
  style.ItemSpacing = ImVec2(0, 0);
  style.Colors[ImGuiCol_WindowBg] = ImVec4(0.83f, 0.82f, 0.78f, 1.0f);
  style.Colors[ImGuiCol_FrameBg] = ImVec4(1, 1, 1, 1);
}

// The captured pixels of the window as 0xAARRGGBB rows from the top.
void CaptureWindow(int width, int height) {
  std::vector<uint32_t> rows(size_t(width) * height), pixels(rows.size());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
  for (int y = 0; y < height; ++y)
    std::memcpy(&pixels[size_t(y) * width], &rows[size_t(height - 1 - y) * width], size_t(width) * 4);
  script::StoreCapture(std::move(pixels), width, height);
}

}  // namespace

bool ModalSession::Begin(const DialogHost& host) {
  if (open_ || g_session.active || !host.window || !host.device || !pw::PlatformReady()) return false;
  SDL_Window* window = host.window->NativeWindow();
  if (!window) return false;
  host_ = host;
  g_session.window = window;
  g_session.backdrop = CaptureBackdrop(host.device);
  gfx::MakeDeviceContextCurrent(host.device);
  IMGUI_CHECKVERSION();
  g_session.context = ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // nothing of the dialogs is stored
  io.LogFilename = nullptr;
  io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;  // the window's cursor stays the program's
  StyleDialogs();
  LoadDialogFont();
  ImGui_ImplSDL2_InitForOpenGL(window, nullptr);
  ImGui_ImplOpenGL2_Init();
  gfx::InvalidateDeviceGlState(host.device);
  g_session.cursorShown = SDL_ShowCursor(SDL_QUERY);
  SDL_ShowCursor(SDL_ENABLE);
  g_session.active = true;
  g_session.frameStart = SDL_GetTicks();
  int x = 0, y = 0;
  const uint32_t buttons = SDL_GetMouseState(&x, &y);
  if (SDL_GetMouseFocus() == window) g_session.pointerX = float(x), g_session.pointerY = float(y);
  g_session.buttonDown[0] = (buttons & SDL_BUTTON_LMASK) != 0;
  g_session.buttonDown[1] = (buttons & SDL_BUTTON_RMASK) != 0;
  g_session.buttonDown[2] = (buttons & SDL_BUTTON_MMASK) != 0;
  int keyCount = 0;
  const Uint8* keys = SDL_GetKeyboardState(&keyCount);
  for (int code = 0; code < keyCount && code < SDL_NUM_SCANCODES; ++code) g_session.keyHeldBefore[code] = keys[code] != 0;
  g_session.session = this;
  pw::SetEventHook(&TakeEvent);
  script::SessionStarted();
  open_ = true;
  return true;
}

void ModalSession::End() {
  if (!open_) return;
  open_ = false;
  pw::SetEventHook(nullptr);
  script::SessionEnded();
  gfx::MakeDeviceContextCurrent(host_.device);
  ImGui_ImplOpenGL2_Shutdown();
  ImGui_ImplSDL2_Shutdown();
  ImGui::DestroyContext(g_session.context);
  if (g_session.backdrop) glDeleteTextures(1, &g_session.backdrop);
  gfx::InvalidateDeviceGlState(host_.device);
  SDL_ShowCursor(g_session.cursorShown);
  g_session = SessionState{};
}

bool ModalSession::PumpMessages() {
  pw::Message message{};
  bool closing = false;
  while (pw::PeekMessage(message)) {
    switch (message.message) {
      case pw::WM_QUIT:
        // Left for the program's own loop, which ends on it.
        pw::PostQuitMessage(int(message.wParam));
        return true;
      case pw::WM_PAINT:
      case pw::WM_SIZE:
      case pw::WM_MOVE:
      case pw::WM_SIZING:
      case pw::WM_MOVING:
        break;  // every pass draws the whole window anyway
      case pw::WM_CLOSE:
        pw::DispatchMessage(message);
        closing = true;
        break;
      default:
        pw::DispatchMessage(message);
        break;
    }
  }
  return closing;
}

ModalSession* ModalSession::Active() { return g_session.active ? g_session.session : nullptr; }

void ModalSession::Frame(bool topActive) {
  gfx::MakeDeviceContextCurrent(host_.device);
  ImGui_ImplOpenGL2_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  FeedWindowInput();
  script::FeedFrame();
  ImGui::NewFrame();
  script::BeginLayout();
  const ImGuiIO& io = ImGui::GetIO();
  if (g_session.backdrop) {
    ImGui::GetBackgroundDrawList()->AddImage(reinterpret_cast<ImTextureID>(intptr_t(g_session.backdrop)),
                                             ImVec2(0, 0), io.DisplaySize);
  }
  for (size_t i = 0; i < running_.size(); ++i)
    DrawDialog(*running_[i], topActive && i + 1 == running_.size(), int(i));
  ImGui::Render();
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(g_session.window, &width, &height);
  PrepareGlForUi();
  glViewport(0, 0, width, height);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
  if (script::CaptureWanted() && width > 0 && height > 0) CaptureWindow(width, height);
  SDL_GL_SwapWindow(g_session.window);
  gfx::InvalidateDeviceGlState(host_.device);
  script::FrameDrawn();

  // Paced like the program's own frames; the wait keeps pumping nothing, events queue meanwhile.
  const uint32_t spent = SDL_GetTicks() - g_session.frameStart;
  if (spent < kFrameMilliseconds) SDL_Delay(kFrameMilliseconds - spent);
  g_session.frameStart = SDL_GetTicks();
}

void ModalSession::Run(Dialog& dialog) {
  if (!open_) return;
  running_.push_back(&dialog);
  bool closing = false;
  while (!dialog.ended) {
    if (PumpMessages()) {
      dialog.Cancel();
      closing = true;  // the program is closing: no wait for released keys
      break;
    }
    if (dialog.ended) break;
    Frame(true);
    dialog.DeliverCommands();
  }
  running_.pop_back();
  if (!closing) WaitForReleasedInput();
}

void ModalSession::WaitForReleasedInput() {
  const uint32_t start = SDL_GetTicks();
  while (SDL_GetTicks() - start < kReleaseWaitMilliseconds) {
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    bool held = SDL_GetMouseState(nullptr, nullptr) != 0;
    for (int i = 0; i < count && !held; ++i) held = keys[i] != 0;
    if (!held || PumpMessages()) return;
    Frame(false);
  }
}

}  // namespace platform::dialogs
