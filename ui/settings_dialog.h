// The settings dialog: the I/O method of the long jobs (memory mapping or
// ordinary file I/O), the WAV buffer length of the file-I/O engines, the
// encoding of the text logs and whether a rewrap measures the loudness of
// what it writes (a build with a loudness meter). They last until the
// program ends; nothing is stored.
#pragma once

#include <QDialog>
#include <cstdint>

#include "engine/buffer_lengths.h"

class QCheckBox;
class QComboBox;
class QLabel;


class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // Shows ioMethod (checked = 1, ordinary file I/O), wavBufferIndex,
  // logEncoding (LOG_ENCODING) and measureLoudness (checked = 1).
  SettingsDialog(uint8_t ioMethod, uint32_t wavBufferIndex, uint8_t logEncoding, uint8_t measureLoudness,
                 QWidget* parent);

  // The values to store after OK: the check box state, the selected row of
  // the buffer list (the previous row when the typed text names none) and
  // the log encoding chosen.
  uint8_t ioMethod() const;
  uint32_t wavBufferIndex() const;
  uint8_t logEncoding() const;
  uint8_t measureLoudness() const;  // 0 where the build has no meter

  QCheckBox* fileIoBox() const { return fileIo_; }
  QComboBox* bufferBox() const { return buffer_; }
  QComboBox* logEncodingBox() const { return logEncoding_; }
  QCheckBox* loudnessBox() const { return loudness_; }  // null where the build has no meter
  QLabel* noteLabel() const { return note_; }

  // The label shown for a row of the buffer length table.
  static QString BufferLabel(int row);
  // The note: when to choose file I/O, and what the buffer rows change.
  static QString NoteText();

  // Runs the dialog over parent and applies OK to the four settings.
  static bool Edit(QWidget* parent, uint8_t* ioMethod, uint32_t* wavBufferIndex, uint8_t* logEncoding,
                   uint8_t* measureLoudness);

 private:
  QCheckBox* fileIo_ = nullptr;
  QComboBox* buffer_ = nullptr;
  QComboBox* logEncoding_ = nullptr;
  QCheckBox* loudness_ = nullptr;
  QLabel* note_ = nullptr;
  uint32_t initialIndex_ = 0;
};
