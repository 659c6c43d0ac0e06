// The six effects at the effect volume, and the music stream: opened from "Music" in the game folder,
// looping, replaced, closed, at the music volume and pan, kept running across menu and levels.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "platform/audio/sound_library.h"
#include "tests/game/play/media/media_fixture.h"
#include "tests/platform/fs/process_usage.h"

namespace media_test {
namespace {

using SoundEffectsTest = MediaTest;

TEST_F(SoundEffectsTest, EachEffectPlaysItsOwnFileOnceAtTheEffectVolume) {
  struct Case {
    int32_t effect;
    int32_t volume;
    float peak;  // 0: nothing plays
  };
  const Case cases[] = {
      {kSoundBoost, 255, EffectAmplitude(1)},       {kSoundTeleporter, 255, EffectAmplitude(2)},
      {kSoundPaint, 255, EffectAmplitude(3)},       {kSoundPlasma, 255, EffectAmplitude(4)},
      {kSoundDoor, 255, EffectAmplitude(5)},        {kSoundPlayerDie, 255, EffectAmplitude(6)},
      {kSoundPlayerDie, 51, EffectAmplitude(6) / 5}, {kSoundPaint, 0, 0.0f},
      {0, 255, 0.0f},                               {7, 255, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "effect " << c.effect << " at volume " << c.volume);
    Settings().effectVolume = c.volume;
    PlaySoundEffect(c.effect);
    const auto [left, right] = MixPeak(4096);
    EXPECT_NEAR(left, c.peak, 0.02f);
    EXPECT_NEAR(right, c.peak, 0.02f);
    MixPeak(kRate / 2);  // played once: it ends with its file
    EXPECT_EQ(MixPeak(1024).first, 0.0f);
  }
}

TEST_F(SoundEffectsTest, AnOutOfRangeNumberStillAppliesTheEffectVolumeToWhatPlays) {
  PlaySoundEffect(kSoundDoor);
  EXPECT_NEAR(MixPeak(2048).first, EffectAmplitude(5), 0.02f);
  Settings().effectVolume = 51;
  PlaySoundEffect(0);
  EXPECT_NEAR(MixPeak(2048).first, EffectAmplitude(5) / 5, 0.02f);
}

TEST_F(SoundEffectsTest, AMissingEffectFileIsSilentAndTheOthersStillPlay) {
  CloseSounds();
  const fs::path elsewhere = MediaEngine::Root() / "no-door";
  fs::create_directories(elsewhere / "Sound");
  for (int n : {1, 2, 3, 4, 6})
    fs::copy_file(MediaEngine::Root() / "Sound" / (std::string(kEffectNames[n - 1]) + ".ogg"),
                  elsewhere / "Sound" / (std::string(kEffectNames[n - 1]) + ".ogg"), fs::copy_options::overwrite_existing);
  fs::current_path(elsewhere);
  LoadSounds();
  platform::audio::PauseMixing(true);
  EXPECT_TRUE(SoundsReady());
  PlaySoundEffect(kSoundDoor);
  EXPECT_EQ(MixPeak(2048).first, 0.0f);
  PlaySoundEffect(kSoundPaint);
  EXPECT_NEAR(MixPeak(2048).first, EffectAmplitude(3), 0.02f);
}

// An effect file replaced by a huge one is refused from its size alone, and the player is told which
// and why, as for a missing one; the others still play.
TEST_F(SoundEffectsTest, AnEffectFileThatIsHugeOrMissingIsNamedWithItsReason) {
  namespace usage = process_usage;
  const struct {
    const char* name;
    uint64_t size;  // 0: missing
    const char* why;
  } cases[] = {{"huge", usage::kHugeFile, "the file is larger than a sound may be"},
               {"missing", 0, "the file is missing or not a regular file"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CloseSounds();
    const fs::path elsewhere = MediaEngine::Root() / c.name;
    fs::create_directories(elsewhere / "Sound");
    for (int n = 1; n <= 6; ++n)
      fs::copy_file(MediaEngine::Root() / "Sound" / (std::string(kEffectNames[n - 1]) + ".ogg"),
                    elsewhere / "Sound" / (std::string(kEffectNames[n - 1]) + ".ogg"), fs::copy_options::overwrite_existing);
    fs::remove(elsewhere / "Sound" / "Door.ogg");
    if (c.size) {
      ASSERT_TRUE(usage::WriteSparseFile((elsewhere / "Sound" / "Door.ogg").c_str(), "OggS", c.size));
    }
    fs::current_path(elsewhere);
    const uint64_t readBefore = usage::BytesRead(), peakBefore = usage::PeakResidentBytes();
    testing::internal::CaptureStderr();
    LoadSounds();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_LT(usage::BytesRead() - readBefore, uint64_t(16) << 20);
    EXPECT_LT(usage::PeakResidentBytes() - peakBefore, uint64_t(64) << 20);
    EXPECT_EQ(said, std::string("qel: sound \"Sound\\Door.ogg\" not loaded: ") + c.why + "\n");
    platform::audio::PauseMixing(true);
    PlaySoundEffect(kSoundDoor);
    EXPECT_EQ(MixPeak(2048).first, 0.0f);
    PlaySoundEffect(kSoundPaint);
    EXPECT_NEAR(MixPeak(2048).first, EffectAmplitude(3), 0.02f);
    fs::remove(elsewhere / "Sound" / "Door.ogg");
  }
}

TEST_F(SoundEffectsTest, AfterClosingEverythingIsSilentAndSafe) {
  CloseSounds();
  EXPECT_FALSE(SoundsReady());
  PlaySoundEffect(kSoundBoost);
  EXPECT_EQ(PlayMusicFile(kLevelTrack), -1);
  EXPECT_EQ(StartMusicStream(), -1);
  ApplyMusicVolumeAndPan(10, 10);
  EXPECT_EQ(CloseMusicStream(), 0);
}

using MusicTest = MediaTest;

TEST_F(MusicTest, NothingPlaysBeforeTheSoundsAreLoaded) {
  CloseSounds();
  EXPECT_EQ(PlayMusicFile(kLevelTrack), -1);
  EXPECT_EQ(StartMusicStream(), -1);
}

TEST_F(MusicTest, TheTrackComesFromMusicInTheGameFolderLoopsAtTheMusicVolumeAndPan) {
  fs::create_directories(MediaEngine::Root() / "elsewhere");
  fs::current_path(MediaEngine::Root() / "elsewhere");
  Settings().musicVolume = 128;
  Settings().musicPan = 0;  // full left
  EXPECT_EQ(StartMusicStream(), -1) << "nothing opened yet";
  ASSERT_EQ(PlayMusicFile(kLevelTrack), 0);
  EXPECT_EQ(fs::current_path(), MediaEngine::Root());
  EXPECT_EQ(MixPeak(1024).first, 0.0f) << "opening does not play";
  ASSERT_EQ(StartMusicStream(), 0);
  EXPECT_NE(GetMusicChannel(), 0);
  auto [left, right] = MixPeak(4096);
  EXPECT_NEAR(left, kLevelAmplitude * 128 / 255, 0.02f);
  EXPECT_EQ(right, 0.0f);

  // A quarter-second file still plays after four seconds.
  MixPeak(4 * kRate);
  std::tie(left, right) = MixPeak(4096);
  EXPECT_NEAR(left, kLevelAmplitude * 128 / 255, 0.02f);

  ApplyMusicVolumeAndPan(255, 255);  // full right
  std::tie(left, right) = MixPeak(4096);
  EXPECT_EQ(left, 0.0f);
  EXPECT_NEAR(right, kLevelAmplitude, 0.02f);
  float levelLeft = -1, levelRight = -1;
  GetMusicLevels(&levelLeft, &levelRight);
  EXPECT_EQ(levelLeft, 0.0f);
  EXPECT_NEAR(levelRight, kLevelAmplitude, 0.02f);
}

TEST_F(MusicTest, ANewTrackReplacesTheOldAndClosingStopsIt) {
  ASSERT_EQ(PlayMusicFile(kLevelTrack), 0);
  ASSERT_EQ(StartMusicStream(), 0);
  EXPECT_NEAR(MixPeak(4096).first, kLevelAmplitude, 0.02f);
  ASSERT_EQ(PlayMusicFile(kMenuMusic), 0);
  EXPECT_EQ(MixPeak(4096).first, 0.0f) << "the old track stops when the new one opens";
  ASSERT_EQ(StartMusicStream(), 0);
  EXPECT_NEAR(MixPeak(4096).first, kMenuAmplitude, 0.02f);

  EXPECT_EQ(CloseMusicStream(), 0);
  EXPECT_EQ(MixPeak(4096).first, 0.0f);
  EXPECT_EQ(StartMusicStream(), -1) << "a closed stream cannot be started again";
  ApplyMusicVolumeAndPan(255, 128);  // the old channel: nothing happens
  EXPECT_EQ(MixPeak(4096).first, 0.0f);
}

TEST_F(MusicTest, AMissingTrackIsSilent) {
  EXPECT_EQ(PlayMusicFile("No Such Track.ogg"), 0);
  EXPECT_EQ(StartMusicStream(), 0);
  EXPECT_EQ(MixPeak(4096).first, 0.0f);
  EXPECT_EQ(PlayMusicFile(nullptr), 0);
  EXPECT_EQ(StartMusicStream(), 0);
}

// A level's music that is empty, not Ogg, a FIFO or a folder is refused when it is opened: nothing
// is decoded from it, the level goes on without music and stderr says why.
TEST_F(MusicTest, AMusicFileThatIsEmptyNotOggOrNotAFileIsRefusedAndSaysWhy) {
  const fs::path music = MediaEngine::Root() / "Music";
  std::ofstream(music / "empty.ogg").flush();
  std::ofstream(music / "text.ogg") << "this is not music";
  ASSERT_EQ(mkfifo((music / "pipe.ogg").c_str(), 0600), 0);
  fs::create_directories(music / "folder.ogg");
  const struct {
    const char* name;
    const char* why;
  } cases[] = {{"EMPTY.ogg", "empty"}, {"text.ogg", "not an Ogg stream"}, {"pipe.ogg", "not a regular file"},
               {"folder.ogg", "not a regular file"}, {"No Such Track.ogg", "missing"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::internal::CaptureStderr();
    EXPECT_EQ(PlayMusicFile(c.name), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(c.name), std::string::npos) << said;
    EXPECT_NE(said.find(c.why), std::string::npos) << said;
    EXPECT_EQ(StartMusicStream(), 0);
    EXPECT_EQ(MixPeak(4096).first, 0.0f);
  }
  // The good track still plays after them.
  testing::internal::CaptureStderr();
  ASSERT_EQ(PlayMusicFile(kLevelTrack), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(StartMusicStream(), 0);
  EXPECT_NEAR(MixPeak(4096).first, kLevelAmplitude, 0.02f);
  for (const char* name : {"empty.ogg", "text.ogg", "pipe.ogg", "folder.ogg"}) fs::remove_all(music / name);
}

TEST_F(MusicTest, MenuMusicRunsOnWhenCurrentComparedExactlyLevelMusicInAnyLetterCase) {
  StartMenuMusic();
  EXPECT_STREQ(Game().lastMusic, kMenuMusic);
  const int32_t menuChannel = GetMusicChannel();
  EXPECT_NEAR(MixPeak(4096).first, kMenuAmplitude, 0.02f);

  // Back from a level that kept the menu track: no restart.
  StartMenuMusic();
  EXPECT_EQ(GetMusicChannel(), menuChannel);
  // A level whose music is the same file in capitals keeps it running too.
  std::string shouted = kMenuMusic;
  std::transform(shouted.begin(), shouted.end(), shouted.begin(), ::toupper);
  StartLevelMusic(shouted.c_str());
  EXPECT_EQ(GetMusicChannel(), menuChannel);
  EXPECT_STREQ(Game().lastMusic, kMenuMusic);

  StartLevelMusic(kLevelTrack);
  EXPECT_NE(GetMusicChannel(), menuChannel);
  EXPECT_STREQ(Game().lastMusic, kLevelTrack);
  EXPECT_NEAR(MixPeak(4096).first, kLevelAmplitude, 0.02f);
  const int32_t levelChannel = GetMusicChannel();
  StartLevelMusic("LEVEL TRACK.OGG");
  EXPECT_EQ(GetMusicChannel(), levelChannel);

  // The menu compares exactly: a current track differing only in case is started anew.
  StoreGamePath(Game().lastMusic, shouted.c_str());
  StartMenuMusic();
  EXPECT_NE(GetMusicChannel(), levelChannel);
  EXPECT_STREQ(Game().lastMusic, kMenuMusic);
  EXPECT_NEAR(MixPeak(4096).first, kMenuAmplitude, 0.02f);
}

}  // namespace
}  // namespace media_test
