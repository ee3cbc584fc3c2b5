// The loudness dialog: measures chosen tracks of the loaded MXF file over
// IN..OUT on a worker thread behind a progress bar, then shows one row per
// track or pair (integrated loudness, range, maximum momentary and
// short-term loudness, true peak), each figure coloured against the target
// chosen in the dialog (ARIB TR-B32 or EBU R128; the choice lasts for the
// run of the program). Closing or cancelling stops the measurement.
#pragma once

#include <QDialog>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "loudness/loudness_target.h"
#include "loudness/mxf_loudness.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

struct LOUDNESS_DIALOG_DEPS {
  std::u16string mxfPath;
  const MXF_BASE_INFO* base = nullptr;
  std::vector<LOUDNESS_PROGRAMME> programmes;
  size_t first = 0;     // index entry of IN
  uint32_t count = 0;   // frames IN..OUT
  std::u16string rangeText;  // "IN - OUT" as shown
};

class LoudnessDialog : public QDialog {
  Q_OBJECT
 public:
  LoudnessDialog(const LOUDNESS_DIALOG_DEPS& deps, QWidget* parent);
  ~LoudnessDialog() override;

  QTableWidget* table() const { return table_; }
  QProgressBar* progressBar() const { return bar_; }
  QComboBox* targetBox() const { return target_; }
  bool finished() const { return done_.load(); }
  int status() const { return status_; }

  // The target the dialog colours against: 0 TR-B32, 1 R128.
  static int targetChoice();

 protected:
  void reject() override;

 private:
  void Tick();
  void ShowResults();
  void Colour();
  void Stop();

  LOUDNESS_DIALOG_DEPS deps_;
  LOUDNESS_PROGRESS progress_;
  std::vector<LOUDNESS_RESULT> results_;  // the worker's until done_
  std::atomic<bool> done_{false};
  int status_ = LOUDNESS_OK;              // the worker's until done_
  std::thread worker_;
  QTimer* timer_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QLabel* note_ = nullptr;
  QComboBox* target_ = nullptr;
  QTableWidget* table_ = nullptr;
  QPushButton* close_ = nullptr;
};
