// Scripted input for tests: steps queued through test_hooks.h become the UI library's pointer, button,
// key and character input, one a frame, aimed at controls where the last frame drew them.
#include "platform/dialogs/scripted_input.h"

#include <imgui.h>

#include <cfloat>
#include <cmath>
#include <deque>
#include <utility>

#include "platform/dialogs/dialog_internal.h"
#include "platform/dialogs/test_hooks.h"

namespace platform::dialogs {

namespace {

constexpr int kFramesToFindTarget = 60;

struct Step {
  enum Kind { kMoveTo, kDown, kUp, kChars, kKey, kCall };
  explicit Step(Kind kind) : kind(kind) {}
  Kind kind;
  int32_t control = -1;
  bool toItem = false;
  std::string text;  // the list entry of kMoveTo, the characters of kChars
  int key = 0;       // ImGuiKey_ of kKey
  bool ctrl = false;
  std::function<void()> call;
  int tries = 0;
};

struct Placed {
  int32_t control, item;
  float x0, y0, x1, y1;
};

struct ScriptState {
  std::deque<Step> steps;
  std::vector<std::string> errors;
  // The pointer the script moves; it takes over the UI library's pointer once a step has moved it.
  float x = -FLT_MAX, y = -FLT_MAX;
  bool down = false, pointerUsed = false;
  int heldKey = -1;  // pressed last frame, released this one
  bool heldCtrl = false;  // with Ctrl
  int idleFrames = 0, idleLimit = 0, idleEscapes = 0;  // off unless a test asks: a person may take their time
  std::vector<Placed> layout, building;
  std::vector<std::string> cut, cutBuilding;
  std::function<void()> frameHook;
  bool capture = false;
  std::vector<uint32_t> frame;
  int frameWidth = 0, frameHeight = 0, framesDrawn = 0;
};
ScriptState g_script;

void Queue(Step step) { g_script.steps.push_back(std::move(step)); }

Step Simple(Step::Kind kind) { return Step(kind); }

void QueueMove(int32_t control, const std::string* item) {
  Step step(Step::kMoveTo);
  step.control = control;
  if (item) {
    step.toItem = true;
    step.text = *item;
  }
  Queue(std::move(step));
}

void QueueKey(int key, bool ctrl) {
  Step step(Step::kKey);
  step.key = key;
  step.ctrl = ctrl;
  Queue(std::move(step));
}

const Placed* FindPlaced(int32_t control, int32_t item) {
  for (const Placed& p : g_script.layout)
    if (p.control == control && p.item == item) return &p;
  return nullptr;
}

// The centre of the step's target as the last frame drew it; an entry outside its list's view is
// scrolled into view first.
bool Locate(const Step& step, float& x, float& y) {
  Dialog* dialog = OpenDialog();
  Control* control = dialog ? dialog->Find(step.control) : nullptr;
  if (!control) return false;
  int32_t item = -1;
  if (step.toItem) {
    for (size_t i = 0; i < control->items.size() && item < 0; ++i)
      if (control->items[i] == step.text) item = int32_t(i);
    if (item < 0) return false;
  }
  const Placed* placed = FindPlaced(step.control, item);
  if (!placed) return false;
  if (item >= 0) {
    const Placed* list = FindPlaced(step.control, -1);
    if (!list || placed->y0 < list->y0 || placed->y1 > list->y1) {
      control->scrollTo = item;
      return false;
    }
  }
  x = (placed->x0 + placed->x1) * 0.5f;
  y = (placed->y0 + placed->y1) * 0.5f;
  return true;
}

std::string Describe(const Step& step) {
  std::string text = "no control " + std::to_string(step.control);
  if (step.toItem) text += " with an entry \"" + step.text + "\"";
  return text + " to point at";
}

// Takes the steps due this frame: any number of calls, then one input. True when one was taken.
bool TakeSteps(ImGuiIO& io) {
  while (!g_script.steps.empty()) {
    Step& step = g_script.steps.front();
    if (step.kind == Step::kCall) {
      std::function<void()> call = std::move(step.call);
      g_script.steps.pop_front();
      if (call) call();
      continue;
    }
    switch (step.kind) {
      case Step::kMoveTo:
        if (Locate(step, g_script.x, g_script.y)) {
          g_script.pointerUsed = true;
        } else if (++step.tries <= kFramesToFindTarget) {
          return true;
        } else {
          g_script.errors.push_back(Describe(step));
        }
        break;
      case Step::kDown:
        g_script.down = true;
        break;
      case Step::kUp:
        g_script.down = false;
        break;
      case Step::kChars:
        io.AddInputCharactersUTF8(step.text.c_str());
        break;
      case Step::kKey:
        g_script.heldKey = io.KeyMap[step.key];
        if (g_script.heldKey >= 0) io.KeysDown[g_script.heldKey] = true;
        if (step.ctrl) io.KeyCtrl = g_script.heldCtrl = true;
        break;
      case Step::kCall:
        break;
    }
    g_script.steps.pop_front();
    return true;
  }
  return false;
}

}  // namespace

namespace script {

void SessionStarted() {
  g_script.layout.clear();
  g_script.building.clear();
  g_script.pointerUsed = false;
  g_script.down = false;
  g_script.heldKey = -1;
  g_script.idleFrames = 0;
}

// A press that ended the dialog is released after it closed: that release belongs to the dialog.
void SessionEnded() {
  if (g_script.down && !g_script.steps.empty() && g_script.steps.front().kind == Step::kUp) g_script.steps.pop_front();
  SessionStarted();
}

void FeedFrame() {
  ImGuiIO& io = ImGui::GetIO();
  // Only what the script itself pressed is let go: the keyboard's own keys and modifiers stay as the
  // window's events set them.
  if (g_script.heldKey >= 0) {
    io.KeysDown[g_script.heldKey] = false;
    if (g_script.heldCtrl) io.KeyCtrl = false;
  }
  g_script.heldKey = -1;
  g_script.heldCtrl = false;
  const bool acted = TakeSteps(io);
  if (acted || !OpenDialog()) {
    g_script.idleFrames = 0;
  } else if (g_script.idleLimit > 0 && ++g_script.idleFrames > g_script.idleLimit) {
    g_script.idleFrames = 0;
    ++g_script.idleEscapes;
    g_script.heldKey = io.KeyMap[ImGuiKey_Escape];
    if (g_script.heldKey >= 0) io.KeysDown[g_script.heldKey] = true;
  }
  if (g_script.pointerUsed) {
    io.MousePos = ImVec2(g_script.x, g_script.y);
    io.MouseDown[0] = g_script.down;
  }
  if (g_script.frameHook) g_script.frameHook();
}

void BeginLayout() {
  g_script.building.clear();
  g_script.cutBuilding.clear();
}

void RecordText(const std::string& text, float width, float room) {
  if (width > room + 0.5f)
    g_script.cutBuilding.push_back(text + ": " + std::to_string(int(std::ceil(width))) + " > " + std::to_string(int(room)));
}

void RecordRect(int32_t control, int32_t item, float x0, float y0, float x1, float y1) {
  g_script.building.push_back(Placed{control, item, x0, y0, x1, y1});
}

bool CaptureWanted() { return g_script.capture; }

void StoreCapture(std::vector<uint32_t>&& pixels, int width, int height) {
  g_script.frame = std::move(pixels);
  g_script.frameWidth = width;
  g_script.frameHeight = height;
}

void FrameDrawn() {
  std::swap(g_script.layout, g_script.building);
  std::swap(g_script.cut, g_script.cutBuilding);
  ++g_script.framesDrawn;
}

}  // namespace script

namespace test {

void Click(int32_t control) {
  QueueMove(control, nullptr);
  Queue(Simple(Step::kDown));
  Queue(Simple(Step::kUp));
}

void ClickItem(int32_t control, const std::string& item) {
  QueueMove(control, &item);
  Queue(Simple(Step::kDown));
  Queue(Simple(Step::kUp));
}

void DoubleClickItem(int32_t control, const std::string& item) {
  ClickItem(control, item);
  Queue(Simple(Step::kDown));
  Queue(Simple(Step::kUp));
}

void TypeText(int32_t control, const std::string& text) {
  Click(control);
  QueueKey(ImGuiKey_A, true);
  TypeCharacters(text);
}

void TypeCharacters(const std::string& text) {
  Step chars(Step::kChars);
  chars.text = text;
  Queue(std::move(chars));
}

void PressEnter() { QueueKey(ImGuiKey_Enter, false); }
void PressEscape() { QueueKey(ImGuiKey_Escape, false); }

void Run(std::function<void()> step) {
  Step call(Step::kCall);
  call.call = std::move(step);
  Queue(std::move(call));
}

void ClearScript() { g_script.steps.clear(); }
size_t PendingSteps() { return g_script.steps.size(); }

std::vector<std::string> TakeScriptErrors() { return std::exchange(g_script.errors, {}); }

void SetIdleEscapeFrames(int frames) { g_script.idleLimit = frames; }
int IdleEscapes() { return g_script.idleEscapes; }

int32_t OpenDialogId() { return OpenDialog() ? OpenDialog()->resource.id : 0; }

std::string OpenDialogCaption() {
  return OpenDialog() && OpenDialog()->resource.caption ? OpenDialog()->resource.caption : "";
}

std::string ControlText(int32_t control) {
  const Control* c = OpenDialog() ? OpenDialog()->Find(control) : nullptr;
  return c ? c->text : std::string();
}

std::vector<std::string> ListItems(int32_t control) {
  const Control* c = OpenDialog() ? OpenDialog()->Find(control) : nullptr;
  return c ? c->items : std::vector<std::string>();
}

int32_t ListSelection(int32_t control) {
  const Control* c = OpenDialog() ? OpenDialog()->Find(control) : nullptr;
  return c ? c->selected : -1;
}

bool ControlRect(int32_t control, float& x0, float& y0, float& x1, float& y1) {
  const Placed* placed = FindPlaced(control, -1);
  if (!placed) return false;
  x0 = placed->x0;
  y0 = placed->y0;
  x1 = placed->x1;
  y1 = placed->y1;
  return true;
}

bool ItemRect(int32_t control, const std::string& item, float& x0, float& y0, float& x1, float& y1) {
  const Control* c = OpenDialog() ? OpenDialog()->Find(control) : nullptr;
  if (!c) return false;
  for (size_t i = 0; i < c->items.size(); ++i) {
    if (c->items[i] != item) continue;
    const Placed* placed = FindPlaced(control, int32_t(i));
    if (!placed) return false;
    x0 = placed->x0, y0 = placed->y0, x1 = placed->x1, y1 = placed->y1;
    return true;
  }
  return false;
}

int FramesDrawn() { return g_script.framesDrawn; }

std::vector<std::string> TextsCut() { return g_script.cut; }

void SetFrameHook(std::function<void()> hook) { g_script.frameHook = std::move(hook); }

void CaptureFrames(bool on) { g_script.capture = on; }

const std::vector<uint32_t>& LastFrame(int* width, int* height) {
  if (width) *width = g_script.frameWidth;
  if (height) *height = g_script.frameHeight;
  return g_script.frame;
}

}  // namespace test

}  // namespace platform::dialogs
