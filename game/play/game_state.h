// The game-state variables that play, the entity rules, ball physics, death, the HUD, the menus and
// the start-up read and change: score and lives, the ball's colour and carried paint, the two
// countdown clocks, the beat, the end-of-level requests, and which map and class are played. One
// record for the run; the values before first use are the record's initial values.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int32_t kStartingLives = 5;          // at each class start
constexpr int32_t kEmergencyBrakesPerLife = 2;  // at each level start and after each death
constexpr int32_t kBonusLifePoints = 5000;      // the bonus-life counter pays a life above this
constexpr int32_t kPlanningMinutePrice = 1000;  // points for one more planning minute
constexpr size_t kMessageBufferSize = 512;      // the overlay's text, "#" between lines
constexpr size_t kGamePathSize = 256;           // map path, class folder, last music
constexpr uint32_t kNoTime = 0xFFFFFFFFu;       // a time stamp not yet set

// The top-level state word: what the state loop runs next.
enum GameStateValue : uint32_t {
  kStateMenu = 0,
  kStatePlayMap = 1,  // load and play the map named by the map path
  kStateEditor = 2,
  kStateQuit = 3,
};

// The level classes, in the order of the menu.
enum LevelClass : uint32_t {
  kClassTutorial = 0,
  kClassBeginner = 1,
  kClassAdvanced = 2,
  kClassExpert = 3,
};

// A countdown clock of whole minutes and seconds; `lastTick` is the millisecond time of its last tick.
struct CountdownClock {
  int32_t minutes = 0;
  int32_t seconds = 0;
  uint32_t lastTick = 0;
};

struct GameVariables {
  uint32_t state = kStateMenu;  // the GameState word

  int32_t score = 0;
  int32_t bonusLifeCounter = 0;  // grows with every score gain; see AddScore
  int32_t lives = kStartingLives;
  int32_t emergencyBrakes = kEmergencyBrakesPerLife;

  int32_t playerColour[3] = {};  // red, green, blue of the ball, 0-255; (255, 255, 255) completes the level
  int32_t carriedPaint[3] = {};  // picked up and not yet delivered to the goal pad

  float forwardSpeed = 0.0f;
  float backwardSpeed = 0.0f;
  float fallSpeed = 1.4f;
  float gravityStep = 0.06f;  // the map's gravity while a level runs

  int32_t plasmaCount = 0;    // plasma entities built
  int32_t plasmaCleared = 0;  // plasma collected

  // Millisecond times (GameNow). All are whole milliseconds: a float would lose the 4 ms step test
  // once the timer passes a few hours.
  uint32_t levelStartTime = kNoTime;  // the level's intro began
  uint32_t playStartTime = 0;         // play began after the intro
  uint32_t classStartTime = 0;        // the class was begun
  uint32_t stepTime = 0;              // the last simulation step

  // Music beat: one every 376 ms; the pulse scale is 130 on a beat and falls by 2 a frame to 100.
  uint32_t beatTime = 0;
  uint8_t beatFlag = 0;
  int32_t pulseScale = 100;

  int32_t entityUnderBall = -1;  // record index, set by the ball each step
  uint8_t noGround = 0;          // nothing below the ball
  uint32_t deathStamp = kNoTime;
  uint8_t paused = 0;

  char message[kMessageBufferSize] = {};  // shown while `overlay` is set
  uint8_t overlay = 0;

  // End-of-level requests.
  uint8_t restartConfirmed = 0;
  uint8_t returnToMenu = 0;
  uint8_t timeUpRestart = 0;
  uint8_t timeUpGameOver = 0;
  uint8_t classEnded = 0;

  // An action fires only while its flag is set; the flag is set again once the keys are released.
  uint8_t pauseArmed = 1;
  uint8_t planningArmed = 1;
  uint8_t menuQuestionArmed = 1;  // shared with the "Game Over" wait
  uint8_t restartQuestionArmed = 1;

  char mapPath[kGamePathSize] = {};  // the map to play next, inside "Maps"
  uint32_t levelClass = kClassTutorial;
  char classFolder[kGamePathSize] = {};  // "\Tutorial\", "\Beginner\", "\Advanced\", "\Expert\"
  char lastMusic[kGamePathSize] = {};    // the music file last started

  float respawn[4] = {};  // x, y, z and Y angle where the ball is set down again

  CountdownClock gameClock;
  CountdownClock planningClock;
};

// The one record of the run.
GameVariables& Game();

// Adds points to the score and the bonus-life counter alike (negative points take them off). Both
// stop at the ends of their range instead of wrapping; the score never goes below 0.
void AddScore(int32_t points);

// Puts the text in the message buffer, cut to fit, and shows the overlay.
void ShowMessage(const char* text);

// Copies a text into one of the record's path fields, cut to fit; false when it had to be cut.
bool StoreGamePath(char (&field)[kGamePathSize], const char* text);

// Milliseconds from the engine's timer, or from the source a test put in place (null: the engine's).
uint32_t GameNow();
void SetGameTimerSource(uint32_t (*source)());
