#include "ui/analysis_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "engine/text_format.h"
#include "platform/path.h"
#include "ui/dialog_units.h"
#include "ui/log_files.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/shell_services.h"
#include "ui/theme.h"
#include "ui/ui_texts.h"
#include "verify/ltc_error.h"
#include "verify/report_texts.h"
#include "verify/timecode_error_log.h"

namespace {

constexpr int kTickMs = 25;

const char16_t kCaption[] = u"MXF Corvane ver 2.0";
const char16_t kCancelButton[] = u"スキップまたは中断する";
const char16_t kCloseButton[] = u"閉じる";
const char16_t kFrameCounter[] = u"残り %dフレーム(%dフレーム中)";
const char16_t kCancelWait[] = u"中断処理を行っていますのでこのままお待ちください...";
const char16_t kStatusCancelling[] = u"中断処理中...";
const char16_t kStatusAnalysing[] = u"MXFファイルを解析中...";
const char16_t kStatusLoaded[] = u"ロード完了";
const char16_t kStatusCancelled[] = u"解析をキャンセル";
const char16_t kStepCancelled[] = u"解析をキャンセルしました。";
const char16_t kStatusFailed[] = u"MXFファイル解析エラー";
const char16_t kStepFailed[] = u"エラーが報告されたため解析を中断しました。";
const char16_t kStatusWritingLog[] = u"ログテキストを書き出し中...";
const char16_t kStatusLogWritten[] = u"ログテキスト書出し完了";

QLabel* CentredLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setAlignment(Qt::AlignCenter);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

QString AnalysisDialog::StepText(int stepCode) {
  switch (stepCode) {
    case 100: return QStringLiteral("ファイルサイズを取得中...");
    case 200: return QStringLiteral("ランダムインデックスとパーティション情報を取得中...");
    case 300: return QStringLiteral("オペレーショナルパターン / ラッピング形式 / アンシラリデータの有無を確認");
    case 400: return QStringLiteral("タイムコード情報を取得...");
    case 500: return QStringLiteral("ファイルパッケージを取得...");
    case 600: return QStringLiteral("インデックステーブルを取得中...");
    case 700: return QStringLiteral("AES3オーディオ基本情報を取得");
    case 800: return QStringLiteral("ビデオ基本情報を取得...");
    case 900: return QStringLiteral("ID情報を取得中...");
    case 1000: return QStringLiteral("ストリームアドレスとSDTIタイムコードを検証しています...");
    default: return QString();
  }
}

AnalysisDialog::AnalysisDialog(const ANALYSIS_DIALOG_DEPS& deps, QWidget* parent)
    : JobDialog(deps.ctx, deps.engines, deps.setStatus, kTickMs, parent), deps_(deps) {
  setObjectName(QStringLiteral("dialog224"));
  setWindowTitle(Q(kCaption));
  setModal(true);
  setWindowFlag(Qt::WindowCloseButtonHint, false);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  const QFont font = theme::UiFont(11);
  setFont(font);
  const DialogUnits du(font);
  setFixedSize(du.size(302, 125));

  fileName_ = CentredLabel(this);
  fileName_->setObjectName(QStringLiteral("control1032"));
  fileName_->setGeometry(du.rect(18, 16, 266, 8).adjusted(0, -4, 0, 4));
  frames_ = CentredLabel(this);
  frames_->setObjectName(QStringLiteral("control1033"));
  frames_->setGeometry(du.rect(18, 35, 266, 9).adjusted(0, -4, 0, 4));
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("control1004"));
  progress_->setGeometry(du.rect(18, 55, 266, 14));
  progress_->setTextVisible(false);
  step_ = CentredLabel(this);
  step_->setObjectName(QStringLiteral("control1031"));
  step_->setGeometry(du.rect(18, 76, 266, 9).adjusted(0, -4, 0, 4));
  button_ = new QPushButton(this);
  button_->setObjectName(QStringLiteral("control1"));
  button_->setAutoDefault(false);
  QRect buttonRect = du.rect(112, 95, 78, 14);
  const int wanted = QFontMetrics(font).horizontalAdvance(Q(kCancelButton)) + 24;
  if (buttonRect.width() < wanted) buttonRect.adjust(-(wanted - buttonRect.width()) / 2, 0,
                                                     (wanted - buttonRect.width() + 1) / 2, 0);
  button_->setGeometry(buttonRect);
  connect(button_, &QPushButton::clicked, this, &AnalysisDialog::OnButton);
}

AnalysisDialog::~AnalysisDialog() = default;

void AnalysisDialog::Place() {
  QWidget* anchor = deps_.centreOn != nullptr ? deps_.centreOn : parentWidget();
  if (anchor == nullptr) return;
  const QPoint centre = anchor->mapToGlobal(anchor->rect().center());
  move(centre.x() - width() / 2 + 5, centre.y() - height() / 2);
}

void AnalysisDialog::Run() {
  APP_CONTEXT* ctx = deps_.ctx;
  MXF_TIMECODE_INFO* tc = ctx->baseInfo->timecode;

  Place();
  button_->setEnabled(false);
  button_->setText(Q(kCancelButton));
  fileName_->setText(Q(plat::FileNamePart(ctx->mxfPath)));
  progress_->setRange(0, 100);
  progress_->setValue(0);

  ctx->jobMode = JOB_ANALYSIS;
  tc->progressDone = 0;
  tc->cancelRequested = 0;
  tc->ltcErrors = deps_.errorHead;

  SetStatus(Q(kStatusAnalysing));
  RunJob();
}

void AnalysisDialog::Tick() {
  const APP_CONTEXT* ctx = deps_.ctx;
  const MXF_TIMECODE_INFO* tc = ctx->baseInfo->timecode;
  if (!cancelling_ && !ended_) step_->setText(StepText(ctx->baseInfo->stepCode.load()));
  const int total = tc->progressTotal.load();
  const int done = tc->progressDone.load();
  frames_->setText(Q(FormatText(kFrameCounter, {static_cast<int64_t>(total - done), static_cast<int64_t>(total)})));
  if (verifying_ && divisor_ > 0) progress_->setValue(static_cast<int>(done / divisor_));
}

void AnalysisDialog::OnButton() {
  if (!verifying_ || ended_) return;
  deps_.ctx->baseInfo->timecode->cancelRequested = 1;
  cancelling_ = true;
  step_->setText(Q(kCancelWait));
  SetStatus(Q(kStatusCancelling));
  button_->setEnabled(false);
}

void AnalysisDialog::OnJobMessage(const JobMessage& message) {
  switch (message.message) {
    case WM_ANALYSIS_READY:
      divisor_ = deps_.ctx->baseInfo->timecode->progressTotal.load() * 0.01;
      verifying_ = true;
      button_->setEnabled(true);
      Tick();
      return;
    case WM_JOB_DONE:
      StopTicks();
      Tick();
      ended_ = true;
      OnDone();
      return;
    case WM_JOB_FAILED:
      StopTicks();
      Tick();
      ended_ = true;
      OnFailed(message);
      return;
    default: return;
  }
}

void AnalysisDialog::OnDone() {
  APP_CONTEXT* ctx = deps_.ctx;
  progress_->setValue(100);
  const std::u16string notice = ComposeTrackLimitNotice(ctx->baseInfo->audio->trackCount);
  if (!notice.empty()) {
    ShowMessage(*deps_.messages, this, notice, txt::kCaptionSystemDefault, MsgIcon::Warning);
  }
  SetStatus(Q(kStatusLoaded));
  ctx->analysisOk = 1;
  Finish();
}

void AnalysisDialog::OnFailed(const JobMessage& message) {
  APP_CONTEXT* ctx = deps_.ctx;
  button_->setText(Q(kCloseButton));
  button_->setEnabled(false);

  if (message.code == kResultCancelled) {
    SetStatus(Q(kStatusCancelled));
    step_->setText(Q(kStepCancelled));
    const MsgAnswer keep = ShowMessage(*deps_.messages, this, message.text, kCaptionAnalysisCancelled,
                                       MsgIcon::Warning, MsgButtons::YesNo);
    // Only a file whose structure passed every step is kept: the cancel
    // came during the verification (which checks the first frame's system
    // item before reading any timecode).
    if (keep == MsgAnswer::Yes && verifying_) {
      ctx->analysisOk = 1;
      const std::u16string notice = ComposeTrackLimitNoticeAfterCancel(ctx->baseInfo->audio->trackCount);
      if (!notice.empty()) {
        ShowMessage(*deps_.messages, this, notice, txt::kCaptionSystemDefault, MsgIcon::Warning);
      }
    } else {
      ctx->analysisOk = 0;
    }
    Finish();
    return;
  }

  SetStatus(Q(kStatusFailed));
  step_->setText(Q(kStepFailed));
  if (ctx->baseInfo->timecode->ltcErrorCount == 0) {
    ShowMessage(*deps_.messages, this, message.text, kCaptionFileAnalysis, MsgIcon::Warning);
  } else {
    const MsgAnswer write = ShowMessage(*deps_.messages, this, message.text, kCaptionFileAnalysis,
                                        MsgIcon::Information, MsgButtons::YesNo);
    if (write == MsgAnswer::Yes) WriteErrorLog();
  }
  // A file that failed, or whose timecode has errors, is never kept.
  ctx->analysisOk = 0;
  Finish();
}

void AnalysisDialog::WriteErrorLog() {
  APP_CONTEXT* ctx = deps_.ctx;
  MXF_BASE_INFO* base = ctx->baseInfo;
  QWidget* owner = parentWidget();
  hide();
  for (;;) {
    std::u16string logPath;
    if (ChooseSaveTextFile(*deps_.shell, owner, &logPath, kErrorLogSaveTitle) == 0) return;
    plat::SysError err = 0;
    if (!CanCreateLogFile(logPath, &err)) {
      ShowMessage(*deps_.messages, owner, ComposeErrorLogCreateFailed(ctx->mxfPath, err), kErrorLogSaveTitle,
                  MsgIcon::Error);
      continue;
    }
    SetStatus(Q(kStatusWritingLog));
    const plat::LocalTime now = plat::LocalNow();
    // Errors while writing a file that could be created are not reported.
    WriteTimecodeErrorLog(logPath, ctx->mxfPath, *base, *base->indexEntries,
                          LogEncodingName(ctx->logEncoding).c_str(), now, &err);
    FreeLtcErrors(base->timecode->ltcErrors);
    SetStatus(Q(kStatusLogWritten));
    ShowMessage(*deps_.messages, owner, ComposeErrorLogCreated(ctx->mxfPath), kCaptionFileAnalysis,
                MsgIcon::Information);
    return;
  }
}

void AnalysisDialog::Finish() { JobDialog::Finish(deps_.ctx->analysisOk ? QDialog::Accepted : QDialog::Rejected); }
