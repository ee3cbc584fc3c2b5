#include "ui/progress_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "engine/sound_write_tap.h"
#include "engine/text_format.h"
#include "engine/track_plan.h"
#include "platform/path.h"
#include "platform/time.h"
#include "rewrap/progress_texts.h"
#include "resources/string_table.h"
#include "rewrap/rewrap_log.h"
#include "ui/dialog_units.h"
#include "ui/log_files.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/shell_services.h"
#include "ui/theme.h"
#include "ui/ui_texts.h"

namespace {

const char16_t kCaption[] = u"MXF Corvane ver 2.0";
const char16_t kOutcomeCaption[] = u"MXF Corvane";

// The texts of the two jobs: rewrap, export.
std::u16string ModeText(int firstId, int mode) { return LoadString(firstId + mode); }

QLabel* Label(QWidget* parent, int id, Qt::Alignment align) {
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("control%1").arg(id));
  label->setAlignment(align);
  label->setTextFormat(Qt::PlainText);
  return label;
}

int ModeIndex(const APP_CONTEXT* ctx) { return ctx->jobMode == JOB_EXPORT ? 1 : 0; }

// A rewrap that measured what it wrote tells the figures with its outcome.
std::u16string WithLevels(const std::u16string& outcome, const SOUND_LEVELS& levels) {
  if (!levels.measured) return outcome;
  std::u16string text = outcome + u"\n\n" + LoadString(kStrLevelsLogHeading);
  for (const SOUND_LEVEL& level : levels.rows) text += u"\n" + ComposeLevelLine(level, CurrentTextLanguage());
  return text;
}

}  // namespace

ProgressDialog::ProgressDialog(const PROGRESS_DIALOG_DEPS& deps, QWidget* parent)
    : JobDialog(deps.ctx, deps.engines, deps.setStatus, kTickMs, parent), deps_(deps) {
  setObjectName(QStringLiteral("dialog220"));
  setWindowTitle(Q(kCaption));
  setModal(true);
  setWindowFlag(Qt::WindowCloseButtonHint, false);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  const QFont font = theme::UiFont(11);
  setFont(font);
  const DialogUnits du(font);
  setFixedSize(du.size(296, 112));

  fileName_ = Label(this, 1009, Qt::AlignCenter);
  fileName_->setGeometry(du.rect(14, 10, 268, 10).adjusted(0, -3, 0, 3));
  QLabel* inCaption = Label(this, 0, Qt::AlignLeft | Qt::AlignVCenter);
  inCaption->setText(QStringLiteral("IN"));
  inCaption->setGeometry(du.rect(14, 28, 20, 10));
  in_ = Label(this, 1005, Qt::AlignLeft | Qt::AlignVCenter);
  in_->setText(QStringLiteral("00:00:00,00"));
  in_->setGeometry(du.rect(30, 28, 60, 10));
  reached_ = Label(this, 1007, Qt::AlignCenter);
  reached_->setGeometry(du.rect(92, 28, 112, 10));
  QLabel* outCaption = Label(this, 0, Qt::AlignRight | Qt::AlignVCenter);
  outCaption->setText(QStringLiteral("OUT"));
  outCaption->setGeometry(du.rect(204, 28, 18, 10));
  out_ = Label(this, 1006, Qt::AlignRight | Qt::AlignVCenter);
  out_->setText(QStringLiteral("00:00:00,00"));
  out_->setGeometry(du.rect(222, 28, 60, 10));
  for (QLabel* l : {in_, out_, reached_}) l->setFont(theme::MonoFont(10));
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("control1004"));
  progress_->setGeometry(du.rect(14, 44, 268, 14));
  progress_->setRange(0, 100);
  progress_->setTextVisible(true);
  progress_->setFormat(QStringLiteral("%p%"));
  progress_->setAlignment(Qt::AlignCenter);
  state_ = Label(this, 1017, Qt::AlignCenter);
  state_->setGeometry(du.rect(14, 66, 268, 10).adjusted(0, -3, 0, 3));
  button_ = new QPushButton(Q(LoadString(kStrProgressCancel)), this);
  button_->setObjectName(QStringLiteral("control2"));
  button_->setAutoDefault(false);
  button_->setGeometry(du.rect(109, 88, 78, 16));
  connect(button_, &QPushButton::clicked, this, &ProgressDialog::OnCancel);
}

ProgressDialog::~ProgressDialog() = default;

const uint32_t* ProgressDialog::RangeIn() const {
  const AUDIOTRACK_IO_INFO* plan = deps_.ctx->trackPlan;
  return deps_.ctx->jobMode == JOB_EXPORT ? plan->exportIn : plan->wrapIn;
}

const uint32_t* ProgressDialog::RangeOut() const {
  const AUDIOTRACK_IO_INFO* plan = deps_.ctx->trackPlan;
  return deps_.ctx->jobMode == JOB_EXPORT ? plan->exportOut : plan->wrapOut;
}

void ProgressDialog::Place() {
  QWidget* anchor = deps_.centreOn != nullptr ? deps_.centreOn : parentWidget();
  if (anchor == nullptr) return;
  const QPoint topLeft(anchor->width() / 2 - width() / 2 + 5, anchor->height() / 2 - height() / 2);
  move(anchor->mapToGlobal(topLeft));
}

bool ProgressDialog::Run() {
  APP_CONTEXT* ctx = deps_.ctx;
  AUDIOTRACK_IO_INFO* plan = ctx->trackPlan;
  const MXF_TIMECODE_INFO& tc = *ctx->baseInfo->timecode;
  const uint32_t sel = RangeSelector(tc);

  Place();
  const uint32_t* in = RangeIn();
  const uint32_t* out = RangeOut();
  plan->frameCount.store(out[sel] - in[sel] + 1);
  plan->currentFrame.store(0);
  plan->cancelRequest.store(0);
  plan->jobPhase.store(JOB_PHASE_CHECK);

  fileName_->setText(Q(plat::FileNamePart(ctx->mxfPath)));
  in_->setText(Q(FormatProgressTimecode(tc, static_cast<int32_t>(in[0]))));
  out_->setText(Q(FormatProgressTimecode(tc, static_cast<int32_t>(out[0]))));
  progress_->setValue(0);
  button_->setText(Q(LoadString(kStrProgressCancel)));
  button_->setEnabled(true);
  ShowPhase(JOB_PHASE_CHECK);

  RunJob();
  return succeeded_;
}

void ProgressDialog::ShowPhase(uint32_t phase) {
  shownPhase_ = phase;
  if (ended_ || cancelling_) return;
  const std::u16string text =
      ModeText(phase == JOB_PHASE_CHECK ? kStrProgressChecking : kStrProgressRunning, ModeIndex(deps_.ctx));
  state_->setText(Q(text));
  SetStatus(Q(text));
}

void ProgressDialog::Tick() {
  const APP_CONTEXT* ctx = deps_.ctx;
  const AUDIOTRACK_IO_INFO* plan = ctx->trackPlan;
  const MXF_TIMECODE_INFO& tc = *ctx->baseInfo->timecode;
  // The phase first: currentFrame starts again from 0 when the write starts.
  const uint32_t phase = ended_ || writeComplete_ ? shownPhase_ : plan->jobPhase.load();
  const uint32_t done = plan->currentFrame.load();
  if (phase != shownPhase_) ShowPhase(phase);
  const uint32_t sel = RangeSelector(tc);
  // Counted in the selected form, shown as the user entered it.
  const int32_t reached = EnteredFormFrame(tc, sel, static_cast<int32_t>(RangeIn()[sel] + done));
  reached_->setText(phase == JOB_PHASE_CHECK ? Q(FormatText(LoadString(kStrProgressCheckedUpTo),
                                                                     {std::u16string_view(FormatProgressTimecode(tc, reached))}))
                                             : Q(FormatReachedTimecode(tc, reached)));
  if (!ended_) progress_->setValue(ProgressPercent(done, plan->frameCount.load()));
  if (deps_.onTick) deps_.onTick();
}

void ProgressDialog::OnCancel() {
  if (ended_) return;
  cancelling_ = true;
  deps_.ctx->trackPlan->cancelRequest.store(1);
  state_->setText(Q(LoadString(kStrProgressCancelWait)));
  SetStatus(Q(LoadString(kStrProgressCancelling)));
  button_->setEnabled(false);
  Tick();
}

void ProgressDialog::OnJobMessage(const JobMessage& message) {
  if (message.message != WM_JOB_DONE && message.message != WM_JOB_FAILED) return;
  const int mode = ModeIndex(deps_.ctx);
  StopTicks();
  if (message.message == WM_JOB_DONE) {
    // A job that succeeded has written its whole range.
    ShowPhase(JOB_PHASE_WRITE);
    writeComplete_ = true;
  }
  Tick();
  ended_ = true;
  button_->setText(Q(LoadString(kStrProgressClose)));
  button_->setEnabled(false);
  if (message.message == WM_JOB_DONE) {
    succeeded_ = true;
    progress_->setValue(100);
    state_->setText(Q(ModeText(kStrProgressDone, mode)));
    SetStatus(Q(ModeText(kStrProgressDoneStatus, mode)));
    const std::u16string outcome = mode == 0 ? WithLevels(message.text, LastSoundLevels()) : message.text;
    ShowMessage(*deps_.messages, this, outcome, kOutcomeCaption, MsgIcon::Information);
    if (mode == 0 && ShowMessage(*deps_.messages, this, kRewrapLogQuestion, txt::kAppCaption,
                                 MsgIcon::Information, MsgButtons::YesNo) == MsgAnswer::Yes) {
      WriteLog();
    }
    Finish(QDialog::Accepted);
    return;
  }
  state_->setText(Q(ModeText(kStrProgressStopped, mode)));
  SetStatus(Q(ModeText(kStrProgressStopped, mode)));
  // The file and the system's cause where an OS call failed inside the engine.
  const std::u16string cause = ComposeJobCause(message);
  ShowMessage(*deps_.messages, this, cause.empty() ? message.text : message.text + u"\n\n" + cause, kOutcomeCaption,
              MsgIcon::Warning);
  Finish(QDialog::Rejected);
}

void ProgressDialog::WriteLog() {
  APP_CONTEXT* ctx = deps_.ctx;
  const MXF_BASE_INFO& base = *ctx->baseInfo;
  QWidget* owner = parentWidget();
  hide();
  for (;;) {
    std::u16string logPath;
    if (ChooseSaveTextFile(*deps_.shell, owner, &logPath, kRewrapLogSaveTitle) == 0) return;
    plat::SysError err = 0;
    if (!CanCreateLogFile(logPath, &err)) {
      ShowMessage(*deps_.messages, owner, ComposeRewrapLogCreateFailed(ctx->mxfPath, err), kRewrapLogSaveTitle,
                  MsgIcon::Error);
      continue;
    }
    SetStatus(Q(LoadString(kStrProgressWritingLog)));
    // Errors while writing a file that could be created are not reported.
    WriteRewrapLog(logPath, ctx->mxfPath, ctx->ioMethod, base, *base.indexEntries, *ctx->trackPlan,
                   LogEncodingName(ctx->logEncoding).c_str(), plat::LocalNow(), &err);
    SetStatus(Q(LoadString(kStrProgressLogWritten)));
    ShowMessage(*deps_.messages, owner, ComposeRewrapLogCreated(ctx->mxfPath, logPath), txt::kAppCaption,
                MsgIcon::Information);
    return;
  }
}
