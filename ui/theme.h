// The application's look: colours of the dark blue-green theme and the
// fonts (Meiryo where it exists, Noto Sans CJK JP on Linux; a monospaced
// face for timecodes).
#pragma once

#include <QColor>
#include <QFont>

namespace theme {

inline const QColor kBackground{0x0b, 0x24, 0x28};
inline const QColor kPanel{0x10, 0x31, 0x36};
inline const QColor kPanelEdge{0x23, 0x5a, 0x5f};
inline const QColor kCaption{0x6f, 0xc9, 0xbd};
inline const QColor kLabel{0x8a, 0xae, 0xaa};
inline const QColor kValue{0xe2, 0xf4, 0xf1};
inline const QColor kAccent{0x2f, 0xd6, 0xc1};
inline const QColor kAccentDark{0x17, 0x6d, 0x66};
inline const QColor kDim{0x4c, 0x6e, 0x6c};
inline const QColor kDisplay{0x06, 0x17, 0x1a};
inline const QColor kStatus{0x0e, 0x2b, 0x2f};

// Proportional Japanese face, point size.
QFont UiFont(qreal points, int weight = QFont::Normal);
// The panel's face (Meiryo on Windows), point size.
QFont PanelFont(qreal points, int weight = QFont::Normal);
// Monospaced face for timecodes and figures.
QFont MonoFont(qreal points, int weight = QFont::Normal);

// The application-wide style and palette (menus, dialogs, message boxes in
// the same dark blue-green); disabled text is drawn flat in kDim.
void ApplyApplicationLook();

}  // namespace theme
