// The one block of shared engine state. The core owns it; every module receives its address through
// its PassCoreData entry, keeps it, and reads and writes the fields directly (one thread, no locks).
// Field order follows the engine's documented layout; do not reorder.
#pragma once
#include <cstdint>

namespace platform::window { class Window; }
namespace platform::gfx { class Surface; }

struct CoreData;

// The shared list through which list-producing commands publish entries (display modes, adapters,
// folder listings, hit details); read back by entry number from 1.
struct ResultListEntry {
  uint32_t textSize;  // size of the entry's own text buffer
  char* text;         // zero-terminated, owned by the entry
  int32_t valueA, valueB, valueC;
  float floatA, floatB, floatC;  // only the ray query's hit details write these
  uint32_t spare[2];
};

struct ResultList {
  uint8_t valid;      // 1 when the last filled list holds at least one entry
  uint8_t hasValues;  // the entries carry numbers
  uint8_t hasTexts;   // the entries carry texts
  int32_t count;      // entries filled
  int32_t capacity;   // entries allocated
  ResultListEntry* entries;
};

// Host callbacks.
// `place` is the address of a pointer variable: size 0 frees the block it holds, any other size stores
// a new block of that many bytes in it (an earlier block is not freed).
using AllocFreeCallback = void (*)(void* place, uint32_t size);
using PumpCallback = uint32_t (*)();                           // 1 once the quit message was seen
using PrintCallback = void (*)(const char* text, int newline);  // start-up console line printer
using MediaPathCallback = void (*)(char* name);                 // rewrites `name` when found below "\media\"
using FileCallback = void (*)(const char* name);                // decrypt / encrypt a file in place
using CursorCallback = void (*)(int shape);                    // 0 arrow, 1 hourglass, 2..31 custom

// Module indexes, in construction order (also the order of the module-present bytes).
enum ModuleIndex : int {
  kDisplayModule, kBasic2DModule, kTextModule, kImageModule, kSpriteModule, kInputModule,
  kSystemModule, kSoundModule, kMusicModule, kFileModule, kEmptyModule, kMemoryBlockModule,
  kVideoModule, kBitmapModule, kNetSessionModule, kCameraModule, kLightModule, kTileGridModule,
  kObjectModule, kTreeWorldModule, kVectorModule, kParticleModule,
  kModuleCount
};

constexpr int kRootFolderSize = 260;

struct CoreRect {
  int32_t left, top, right, bottom;
};

struct CoreData {
  AllocFreeCallback allocFree;
  PumpCallback pumpMessages;
  PrintCallback print;
  MediaPathCallback resolveMediaPath;
  FileCallback decryptFile;
  FileCallback encryptFile;
  CursorCallback setCursorShape;

  uint32_t* errorWord;  // address of the host error word

  uint8_t modulePresent[kModuleCount];  // 1 once the core has constructed the module
  char rootFolder[kRootFolderSize];     // put in front of "\media\"; nothing fills it
  uint32_t scrambleKey;                 // 0: the decrypt and encrypt callbacks do nothing
  uint32_t errorContext;                // written by the object module beside some errors

  platform::window::Window* window;  // the engine window (the display module may replace it)
  void* instance;                    // the program instance (no meaning on this platform)
  char* typedChars;                  // zero-terminated characters typed so far; emptied by input

  int32_t backBufferWidth, backBufferHeight;
  int32_t windowMode;  // 0..4
  int32_t windowX, windowY;
  uint8_t cursorVisible;
  int32_t mouseX, mouseY;  // back-buffer pixels
  uint32_t mouseButtons;   // bit 0 left, bit 1 right
  int32_t displayWidth, displayHeight, displayDepth;
  CoreRect videoRect;  // area a playing video covers; present leaves it alone while right != 0

  int32_t currentBitmap;                        // 0 = the screen
  platform::gfx::Surface* currentRenderSurface;  // where 2D drawing goes
  platform::gfx::Surface* backBufferSurface;
  platform::gfx::Surface* depthStencilSurface;

  int32_t consoleX, consoleY;
  uint32_t inkForeground, inkBackground;  // ARGB

  int32_t drawnCamera;
  float cameraX, cameraY, cameraZ;  // position of the camera being drawn
  int32_t currentCamera;

  ResultList resultList;

  uint32_t fogOn;
  uint32_t renderPassIndex, renderPassCount;
  uint32_t stencilMode;  // 0 none, 1 shadows, 2 mirrors
  uint32_t shadowCasterCount, mirrorCount;
  uint32_t polygonsDrawn, drawCalls;
  uint8_t escapeQuits;  // 1: Escape ends the program
  uint32_t softwareVertexProcessing;
};

// The block's address.
CoreData* GetCoreDataPointer();
// Makes the core's frame step use the block (start-up).
void StoreCoreDataPointer();
