// The application's images, drawn with QPainter at the screen's device pixel
// ratio so that they stay sharp at 100 % and 200 %: the four large buttons
// and the IN/OUT/DUR buttons (normal, pressed, disabled each), the 24 x 3
// track switch images, the scroll arrows and the application icon.
#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>

enum class ArtState { Normal = 0, Pressed = 1, Disabled = 2 };

enum class LargeButtonArt { Load = 0, View = 1, Rewrap = 2, Export = 3 };
enum class SmallButtonArt { In = 0, Out = 1, Dur = 2 };

// Track switch images: the three states of a track's switch.
enum TrackArt { kTrackOff = 0, kTrackOn = 1, kTrackAbsent = 2 };

inline constexpr QSize kLargeButtonSize{128, 80};
inline constexpr QSize kSmallButtonSize{104, 36};
inline constexpr int kTrackImageSize = 52;

// Each image has the logical size above and dpr times as many pixels.
QImage LargeButtonImage(LargeButtonArt art, ArtState state, qreal dpr);
QImage SmallButtonImage(SmallButtonArt art, ArtState state, qreal dpr);
QImage TrackImage(int slot, int trackArt, qreal dpr);  // slot 0..23
QImage ScrollArrowImage(bool up, ArtState state, qreal dpr);

// The window and About icon, in the usual sizes.
QIcon AppIcon();
QImage AppIconImage(int size);
