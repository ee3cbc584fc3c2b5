// Files dropped on the main window: at most one MXF file, loaded as by the
// load command; WAV/BWF files added to the library while a file is loaded.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "bwf/wav_library.h"
#include "ui/command_ids.h"
#include "ui/drop_rules.h"
#include "ui/image_button.h"
#include "ui/info_panel.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/track_area.h"
#include "ui/ui_texts.h"

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  std::vector<std::u16string> names;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) names.push_back(U16(url.toLocalFile()));
  }
  event->acceptProposedAction();
  // The drop is finished before anything is loaded, so the dragging
  // application is not kept waiting while the file is analysed.
  QTimer::singleShot(0, this, [this, names] {
    HandleDroppedFiles(names);
    emit dropHandled();
  });
}

void MainWindow::HandleDroppedFiles(const std::vector<std::u16string>& names) {
  if (shutDown_) return;
  AppState& s = *state_;
  const DROP_PLAN plan = PlanDrop(names, s.ctx.fileLoaded != 0);
  AddDroppedWavFiles(plan.wavToAdd);

  if (plan.mxfCount > 0) {
    s.mxf.timecode.progressTotal = 0;
    s.mxf.timecode.progressDone = 0;
    if (plan.mxfCount > 1) {
      ShowMessage(*services_.messages, this, txt::kOneMxfOnly, txt::kCaptionDropped, MsgIcon::Information);
      largeButton(ctl::kLoadButton)->setFocus(Qt::OtherFocusReason);
      return;
    }
    if (s.ctx.fileLoaded) {
      ShowMessage(*services_.messages, this, txt::kAlreadyLoaded, txt::kCaptionMxfLoad, MsgIcon::Information);
    } else {
      const bool opened = OpenAndAnalyse(plan.mxfPath, LoadOrigin::Drop);
      if (!opened) {
        largeButton(ctl::kLoadButton)->setFocus(Qt::OtherFocusReason);
        return;
      }
      info_->update();
    }
  }

  if (plan.wavDropped) {
    if (!s.ctx.fileLoaded) {
      ShowMessage(*services_.messages, this, txt::kWavNeedsMxf, txt::kCaptionWavLoad, MsgIcon::Warning);
    } else {
      RebuildLibraryView(true);
      if (s.ctx.viewMode == VIEW_TRACKS && plan.mxfCount == 0) ShowLibrary();
    }
  }

  if (s.mxfFile.valid()) s.CloseMxf();
  SignalMenu();
  SignalList();
  FocusMain();
}

void MainWindow::AddDroppedWavFiles(const std::vector<std::u16string>& paths) {
  AppState& s = *state_;
  for (const std::u16string& path : paths) {
    const int result = WavLibraryAdd(path, &s.libraryHead, &s.mxf.timecode);
    if (result != WAV_ADD_OK) {
      ShowMessage(*services_.messages, this, WavAddFailureMessage(result, path, true), kWavDropCaption,
                  MsgIcon::Warning);
    }
  }
}
