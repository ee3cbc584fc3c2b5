// The user's messages for the measurement outcomes.
#include "loudness/mxf_loudness.h"

std::u16string LoudnessStatusText(int status) {
  switch (status) {
    case LOUDNESS_OK: return u"";
    case LOUDNESS_CANCELLED: return u"ラウドネス測定を中止しました。";
    case LOUDNESS_NOT_LOADED: return u"ラウドネスを測定できません: MXFファイルが読み込まれていないか、音声の形式が分かりません。";
    case LOUDNESS_BAD_TRACK: return u"ラウドネスを測定できません: 指定したトラックがファイルにありません。";
    case LOUDNESS_BAD_RANGE: return u"ラウドネスを測定できません: IN/OUTがファイルの範囲外です。";
    case LOUDNESS_OPEN_FAILED: return u"ラウドネスを測定できません: ファイルを開けません。";
    case LOUDNESS_READ_FAILED: return u"ラウドネスを測定できません: ファイルを読み込めません。";
    case LOUDNESS_ELEMENT_MISMATCH:
      return u"ラウドネスを測定できません: サウンドエレメントがインデックスの示す位置にありません。";
    case LOUDNESS_NO_MEMORY: return u"ラウドネスを測定できません: メモリが足りません。";
    case LOUDNESS_BAD_FORMAT:
      return u"ラウドネスを測定できません: 48 kHz 16/24ビットのモノラルまたはステレオのWAVファイルではありません。";
    default: return u"ラウドネスを測定できません。";
  }
}
