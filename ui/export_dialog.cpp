#include "ui/export_dialog.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "bwf/bwf_header.h"
#include "engine/app_context.h"
#include "engine/file_facts.h"
#include "engine/text_format.h"
#include "engine/track_plan.h"
#include "resources/string_table.h"
#include "rewrap/range_entry.h"
#include "timecode/timecode.h"
#include "ui/artwork.h"
#include "ui/dialog_units.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/shell_services.h"
#include "ui/theme.h"
#include "ui/ui_texts.h"

namespace {

const char16_t kCaption[] = u"WAV(BWF)ファイルの書出し";
const char16_t kFolderTitle[] = u"BWF(WAV)ファイルの保存先を選択してください。";
const char16_t kPointsMissing[] = u"書出し用IN/OUTポイントが正しく設定されていません。";
const char16_t kPointsCaption[] = u"タイムコードの確認";
const char16_t kNoTrack[] = u"書出しトラックのON/OFFスイッチが全てOFFになっています。";
const char16_t kSettingsCaption[] = u"設定の確認";
const char16_t kNoRewrapRange[] = u"ラッピング用のIN/OUT点が正しくありません。";

// Kept for the whole run, across openings of the dialog.
int gExportPage = 0;
int gSelectAllState = 0;

// A track button drawn with the track images: ON, OFF, or the no-track
// image while disabled.
class TrackButton : public QPushButton {
 public:
  TrackButton(int k, const AUDIOTRACK_IO_INFO* plan, QWidget* parent)
      : QPushButton(QStringLiteral("Button%1(&%1)").arg(k + 1), parent), k_(k), plan_(plan) {
    setObjectName(QStringLiteral("control%1").arg(1016 + k));
    setFixedSize(kTrackImageSize + 4, kTrackImageSize + 4);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const int slot = 8 * gExportPage + k_;
    const int state = isEnabled() ? std::min<int>(plan_->exportSwitch[slot], 1) : int{TRACK_ABSENT};
    p.drawImage(QPoint(2, 2), TrackImage(slot, state, devicePixelRatioF()));
    if (hasFocus()) {
      p.setPen(QPen(theme::kValue, 1, Qt::DotLine));
      p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
  }

 private:
  int k_;
  const AUDIOTRACK_IO_INFO* plan_;
};

QLabel* Display(QWidget* parent, int id) {
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("control%1").arg(id));
  label->setAlignment(Qt::AlignCenter);
  label->setTextFormat(Qt::PlainText);
  label->setFont(theme::MonoFont(12, QFont::Bold));
  label->setStyleSheet(QStringLiteral("QLabel { color: #2fd6c1; background: #06171a; border: 1px solid #235a5f; }"));
  return label;
}

QString EightDigits(const MXF_TIMECODE_INFO& tc, uint32_t frames) {
  TIMECODE_HMSF t;
  if (!FramesToTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(frames), t)) t = TIMECODE_HMSF{};
  return QString::asprintf("%02d%02d%02d%02d", t.hours, t.minutes, t.seconds, t.frames);
}

void CopyText(const QString& text, char16_t* out, size_t units, size_t limit) {
  const std::u16string s = U16(text.left(static_cast<qsizetype>(std::min(limit, units - 1))));
  std::copy(s.begin(), s.end(), out);
  out[s.size()] = u'\0';
}

}  // namespace

int ExportDialog::page() { return gExportPage; }

void ExportDialog::ResetRunState() {
  gExportPage = 0;
  gSelectAllState = 0;
}

ExportDialog::ExportDialog(const EXPORT_DIALOG_DEPS& deps, QWidget* parent) : QDialog(parent), deps_(deps) {
  setObjectName(QStringLiteral("dialog221"));
  setWindowTitle(Q(kCaption));
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  const QFont font = theme::UiFont(10);
  setFont(font);
  const DialogUnits du(font);
  setFixedSize(du.size(293, 160));

  auto* range = new QGroupBox(QStringLiteral("書出し範囲"), this);
  range->setGeometry(du.rect(7, 4, 279, 62));
  auto* trackBox = new QGroupBox(QStringLiteral("書出しトラック"), this);
  trackBox->setGeometry(du.rect(7, 70, 279, 64));

  auto button = [this](const QString& text, int id) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QStringLiteral("control%1").arg(id));
    b->setAutoDefault(false);
    return b;
  };
  from_ = button(QStringLiteral("from(&I)"), 1040);
  from_->setGeometry(du.rect(14, 16, 40, 14));
  to_ = button(QStringLiteral("to(&O)"), 1041);
  to_->setGeometry(du.rect(14, 34, 40, 14));
  displays_[0] = Display(this, 1039);
  displays_[0]->setGeometry(du.rect(58, 16, 70, 14));
  displays_[1] = Display(this, 1038);
  displays_[1]->setGeometry(du.rect(58, 34, 70, 14));
  auto* durLabel = new QLabel(QStringLiteral("Dur"), this);
  durLabel->setGeometry(du.rect(134, 16, 16, 14));
  displays_[2] = Display(this, 1037);
  displays_[2]->setGeometry(du.rect(152, 16, 70, 14));
  useRange_ = button(QStringLiteral("ラッピング範囲を使用(&P)"), 1012);
  useRange_->setGeometry(du.rect(152, 34, 126, 14));
  for (int i = 0; i < 2; ++i) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("control%1").arg(1010 + i));
    edit->setMaxLength(11);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setFont(theme::MonoFont(12, QFont::Bold));
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,11}")), edit));
    edit->setGeometry(displays_[i]->geometry());
    edit->hide();
    edit->installEventFilter(this);
    displays_[i]->installEventFilter(this);
    edits_[i] = edit;
  }
  auto* prefixLabel = new QLabel(QStringLiteral("プレフィックス名"), this);
  prefixLabel->setGeometry(du.rect(14, 52, 56, 10));
  prefix_ = new QLineEdit(this);
  prefix_->setObjectName(QStringLiteral("control1013"));
  prefix_->setMaxLength(32);
  prefix_->setGeometry(du.rect(70, 50, 60, 13));
  prefix_->installEventFilter(this);
  folderButton_ = button(QStringLiteral("保存先(&D)"), 1014);
  folderButton_->setGeometry(du.rect(134, 50, 40, 13));
  folder_ = new QLineEdit(this);
  folder_->setObjectName(QStringLiteral("control1015"));
  folder_->setReadOnly(true);
  folder_->setGeometry(du.rect(176, 50, 102, 13));

  const int buttonWidth = kTrackImageSize + 4;
  for (int k = 0; k < 8; ++k) {
    auto* b = new TrackButton(k, deps_.plan, this);
    b->move(du.x(14) + k * (buttonWidth + 4), du.y(82));
    connect(b, &QPushButton::clicked, this, [this, k] { OnTrackButton(k); });
    tracks_[k] = b;
  }
  prev_ = button(QStringLiteral("<(&-)"), 1034);
  prev_->setGeometry(du.rect(14, 116, 20, 13));
  next_ = button(QStringLiteral(">(&+)"), 1035);
  next_->setGeometry(du.rect(36, 116, 20, 13));
  selectAll_ = button(QStringLiteral("全て選択/解除(&G)"), 1036);
  selectAll_->setGeometry(du.rect(60, 116, 80, 13));
  export_ = button(QStringLiteral("書出し(&E)"), 1);
  export_->setDefault(true);
  export_->setGeometry(du.rect(180, 140, 50, 14));
  close_ = button(QStringLiteral("閉じる"), 2);
  close_->setGeometry(du.rect(236, 140, 50, 14));

  connect(from_, &QPushButton::clicked, this, [this] { OpenEdit(0); });
  connect(to_, &QPushButton::clicked, this, [this] { OpenEdit(1); });
  connect(useRange_, &QPushButton::clicked, this, &ExportDialog::OnUseRewrapRange);
  connect(folderButton_, &QPushButton::clicked, this, &ExportDialog::OnFolder);
  connect(prev_, &QPushButton::clicked, this, [this] {
    gExportPage = std::max(0, gExportPage - 1);
    ApplyPage();
    setFocus();
  });
  connect(next_, &QPushButton::clicked, this, [this] {
    gExportPage = std::min(2, gExportPage + 1);
    ApplyPage();
    setFocus();
  });
  connect(selectAll_, &QPushButton::clicked, this, &ExportDialog::OnSelectAll);
  connect(export_, &QPushButton::clicked, this, &ExportDialog::OnExport);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);

  // Opening: the prefix and folder last set, or the defaults.
  const APP_CONTEXT& ctx = *deps_.ctx;
  prefix_->setText(deps_.plan->exportPrefix[0] != 0 ? Q(deps_.plan->exportPrefix) : Q(ctx.defaultPrefix));
  folder_->setText(deps_.plan->exportFolder[0] != 0 ? Q(deps_.plan->exportFolder) : Q(ctx.desktopPath));
  RefreshDisplays();
  ApplyPage();
  from_->setFocus();
  if (parent != nullptr) {
    const QRect outer = parent->frameGeometry();
    move(outer.center() - QPoint(width() / 2, height() / 2));
  }
}

void ExportDialog::ApplyPage() {
  prev_->setEnabled(gExportPage != 0);
  next_->setEnabled(gExportPage != 2);
  for (int k = 0; k < 8; ++k) {
    const int slot = 8 * gExportPage + k;
    tracks_[k]->setEnabled(slot < deps_.trackCount && deps_.plan->exportSwitch[slot] != TRACK_ABSENT);
    tracks_[k]->update();
  }
}

void ExportDialog::RefreshDisplays() {
  const APP_CONTEXT& ctx = *deps_.ctx;
  const MXF_TIMECODE_INFO& tc = *deps_.timecode;
  const AUDIOTRACK_IO_INFO& plan = *deps_.plan;
  const bool in = ctx.exportInSet != 0;
  const bool out = ctx.exportOutSet != 0;
  displays_[0]->setText(in ? Q(FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(plan.exportIn[0]), 0))
                           : Q(txt::kNoTimecode));
  displays_[1]->setText(out ? Q(FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(plan.exportOut[0]), 0))
                            : Q(txt::kNoTimecode));
  const int64_t dur = int64_t{plan.exportOut[1]} - int64_t{plan.exportIn[1]} + 1;
  displays_[2]->setText(in && out ? Q(LengthText(tc, dur)) : Q(txt::kNoTimecode));
}

void ExportDialog::OpenEdit(int which) {
  if (openEdit_ >= 0 && openEdit_ != which) CloseEdit(openEdit_);
  const uint32_t* point = which == 0 ? deps_.plan->exportIn : deps_.plan->exportOut;
  QLineEdit* edit = edits_[which];
  edit->setText(EightDigits(*deps_.timecode, point[0]));
  edit->setEnabled(true);
  edit->show();
  edit->raise();
  displays_[which]->hide();
  openEdit_ = which;
  edit->setFocus();
  edit->selectAll();
}

void ExportDialog::CloseEdit(int which) {
  if (openEdit_ == which) openEdit_ = -1;
  edits_[which]->hide();
  displays_[which]->show();
}

void ExportDialog::Refuse(int which, const std::u16string& message) {
  APP_CONTEXT& ctx = *deps_.ctx;
  (which == 0 ? ctx.exportInSet : ctx.exportOutSet) = 0;
  RefreshDisplays();
  ShowMessage(*deps_.messages, this, message, kRangeEntryCaption, MsgIcon::Warning);
  edits_[which]->setFocus();
  edits_[which]->selectAll();
}

void ExportDialog::OnEnter(int which) {
  APP_CONTEXT& ctx = *deps_.ctx;
  AUDIOTRACK_IO_INFO& plan = *deps_.plan;
  const MXF_TIMECODE_INFO& tc = *deps_.timecode;
  const uint32_t sel = RangeSelector(tc);
  const std::u16string typed = U16(edits_[which]->text().left(11));
  const RangePointResult r = EnterRangePoint(tc, typed, RangeEntryKind::Export, which == 0 ? nullptr : plan.exportIn);
  if (r.error == RangeEntryError::OutBeforeIn) {
    plan.exportOut[0] = plan.exportOut[1] = 0;
  }
  if (r.error != RangeEntryError::None) {
    Refuse(which, r.message);
    return;
  }
  if (which == 0) {
    plan.exportIn[0] = r.point[0];
    plan.exportIn[1] = r.point[1];
    ctx.exportInSet = 1;
    if (ctx.exportOutSet && plan.exportOut[sel] < r.point[sel]) {
      ctx.exportOutSet = 0;
      plan.exportOut[0] = plan.exportOut[1] = 0;
    }
    CloseEdit(0);
    RefreshDisplays();
    OpenEdit(1);
    return;
  }
  plan.exportOut[0] = r.point[0];
  plan.exportOut[1] = r.point[1];
  ctx.exportOutSet = 1;
  CloseEdit(1);
  RefreshDisplays();
  prefix_->setFocus();
}

void ExportDialog::TakePrefix() {
  CopyText(prefix_->text(), deps_.plan->exportPrefix, kExportPrefixUnits, 255);
}

bool ExportDialog::eventFilter(QObject* watched, QEvent* event) {
  for (int which = 0; which < 2; ++which) {
    if (watched == edits_[which]) {
      if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
          OnEnter(which);
          return true;
        }
        if (key == Qt::Key_Escape) return true;  // not handled here
      } else if (event->type() == QEvent::FocusOut && openEdit_ == which) {
        const bool set = which == 0 ? deps_.ctx->exportInSet != 0 : deps_.ctx->exportOutSet != 0;
        if (set) CloseEdit(which);
      }
    }
    if (watched == displays_[which] && event->type() == QEvent::MouseButtonDblClick) {
      OpenEdit(which);
      return true;
    }
  }
  if (watched == prefix_) {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        TakePrefix();
        tracks_[1]->setFocus();
        return true;
      }
    } else if (event->type() == QEvent::FocusOut) {
      TakePrefix();
    }
  }
  return QDialog::eventFilter(watched, event);
}

void ExportDialog::OnTrackButton(int k) {
  const int slot = 8 * gExportPage + k;
  uint8_t& s = deps_.plan->exportSwitch[slot];
  if (s == TRACK_ABSENT) return;
  s = s == TRACK_ON ? TRACK_OFF : TRACK_ON;
  tracks_[k]->update();
}

void ExportDialog::OnSelectAll() {
  gSelectAllState = gSelectAllState == 0 ? 1 : 0;
  for (int s = 0; s < deps_.trackCount && s < kTrackSlots; ++s) {
    deps_.plan->exportSwitch[s] = gSelectAllState ? TRACK_ON : TRACK_OFF;
  }
  for (QPushButton* b : tracks_) b->update();
}

void ExportDialog::OnUseRewrapRange() {
  APP_CONTEXT& ctx = *deps_.ctx;
  AUDIOTRACK_IO_INFO& plan = *deps_.plan;
  if (!(ctx.inSet && ctx.outSet)) {
    ShowMessage(*deps_.messages, this, kNoRewrapRange, kSettingsCaption, MsgIcon::Warning);
    return;
  }
  for (int i = 0; i < 2; ++i) {
    plan.exportIn[i] = plan.wrapIn[i];
    plan.exportOut[i] = plan.wrapOut[i];
  }
  ctx.exportInSet = 1;
  ctx.exportOutSet = 1;
  RefreshDisplays();
}

void ExportDialog::OnFolder() {
  const QString chosen = deps_.shell->ChooseFolder(this, Q(kFolderTitle), folder_->text());
  if (chosen.isEmpty()) return;
  CopyText(chosen, deps_.plan->exportFolder, kExportFolderUnits, kExportFolderUnits - 1);
  folder_->setText(chosen);
}

void ExportDialog::OnExport() {
  APP_CONTEXT& ctx = *deps_.ctx;
  AUDIOTRACK_IO_INFO& plan = *deps_.plan;
  if (!ctx.exportInSet || !ctx.exportOutSet) {
    ShowMessage(*deps_.messages, this, kPointsMissing, kPointsCaption, MsgIcon::Warning);
    OpenEdit(0);
    return;
  }
  bool any = false;
  for (int s = 0; s < deps_.trackCount && s < kTrackSlots; ++s) any = any || plan.exportSwitch[s] == TRACK_ON;
  if (!any) {
    ShowMessage(*deps_.messages, this, kNoTrack, kSettingsCaption, MsgIcon::Information);
    return;
  }
  // A prefix naming another folder would write outside the chosen one.
  const std::u16string prefix = U16(prefix_->text());
  if (!BwfPrefixIsPlain(prefix)) {
    ShowMessage(*deps_.messages, this, FormatText(LoadString(kStrPrefixHasPath), {std::u16string_view(prefix)}),
                kSettingsCaption, MsgIcon::Warning);
    prefix_->setFocus();
    prefix_->selectAll();
    return;
  }
  ctx.jobMode = JOB_EXPORT;
  plan.exportRunNumber += 1;
  TakePrefix();
  CopyText(folder_->text(), plan.exportFolder, kExportFolderUnits, kExportFolderUnits - 1);
  if (deps_.runExport) deps_.runExport();
}
