#include "engine/sound_write_tap.h"

SoundWriteTap*& InstalledSoundTap() {
  static SoundWriteTap* tap = nullptr;
  return tap;
}

SOUND_LEVELS& LastSoundLevels() {
  static SOUND_LEVELS levels;
  return levels;
}
