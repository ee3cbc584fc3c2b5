// The settings dialog: the I/O method of the long jobs (memory mapping or
// ordinary file I/O) and the WAV buffer length of the file-I/O engines.
// Both last until the program ends; nothing is stored.
#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QComboBox;

inline constexpr int kWavBufferRows = 14;

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // Shows ioMethod (checked = 1, ordinary file I/O) and wavBufferIndex.
  SettingsDialog(uint8_t ioMethod, uint32_t wavBufferIndex, QWidget* parent);

  // The values to store after OK: the check box state and the selected row
  // of the buffer list (the previous row when the typed text names none).
  uint8_t ioMethod() const;
  uint32_t wavBufferIndex() const;

  QCheckBox* fileIoBox() const { return fileIo_; }
  QComboBox* bufferBox() const { return buffer_; }

  // The label shown for a row of the buffer length table.
  static QString BufferLabel(int row);

  // Runs the dialog over parent and applies OK to the two settings.
  static bool Edit(QWidget* parent, uint8_t* ioMethod, uint32_t* wavBufferIndex);

 private:
  QCheckBox* fileIo_ = nullptr;
  QComboBox* buffer_ = nullptr;
  uint32_t initialIndex_ = 0;
};
