#include "rewrap/undo_settings.h"

UNDO_SETTINGS& UndoSettings() {
  static UNDO_SETTINGS settings;
  return settings;
}

UNDO_REPORT& LastUndoReport() {
  static UNDO_REPORT report;
  return report;
}
