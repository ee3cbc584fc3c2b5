// The program's string table: the message texts, loaded by id, each in
// Japanese and in English. Japanese is the language of the desktop
// application and of the logs (which peers parse); the command-line tool
// may choose English for what it prints. Texts are UTF-16 with real control characters ("\n", "\r\n") where a
// message breaks lines; none is longer than 255 code units, so each fits a
// 256-unit buffer with its terminator.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Ids the interface and the logs name directly. The message ids of the job
// runner's code table are used as plain numbers there.
inline constexpr int kStrAppTitle = 103;         // "MXF Audio Velmora 1.0.0.0"
inline constexpr int kStrNoRewrite = 104;        // track panel: track left as it is
inline constexpr int kStrWindowClass = 109;      // main window class name
inline constexpr int kStrSilenceWritten = 225;   // track panel: ON without a file
inline constexpr int kStrNoTrack = 226;          // track panel: slot without a track
inline constexpr int kStrUndefinedError = 251;   // a code with no text of its own
inline constexpr int kStrMultichannelRefused = 430;  // "%d" channels, none named

// Files of three or more channels: assignment refusals, the command line's
// two forms, the plan line and the track panel's choices.
inline constexpr int kStrAssignPastLastTrack = 431;  // the file's track count
inline constexpr int kStrAssignNoSuchChannel = 432;  // channel, the file's channels
inline constexpr int kStrAssignChannelForm = 433;
inline constexpr int kStrCliChannelsNotNamed = 434;  // option, channels, and the two forms' parts
inline constexpr int kStrPlanTrackPolyChannel = 435; // track, path, channel, channels
inline constexpr int kStrPanelChannelsFrom = 436;    // last channel, first track, last track
inline constexpr int kStrPanelOneChannel = 437;      // channel, track
inline constexpr int kStrPanelChannelsTitle = 438;   // file name, channels

// The loudness measured during a rewrap (detail log, command line).
inline constexpr int kStrLevelsTrack = 470;  // track, integrated, true peak
inline constexpr int kStrLevelsPair = 471;   // first track, second track, integrated, true peak
inline constexpr int kStrLevelsLogHeading = 472;

// Range entry refusals (IN / OUT), track assignment refusals, the
// incomplete export files and the rewrap log's outcome.
inline constexpr int kStrRangeInvalid = 440;
inline constexpr int kStrRangeInvalidExport = 441;
inline constexpr int kStrRangeBeforeStart = 442;
inline constexpr int kStrRangeAfterEnd = 443;
inline constexpr int kStrRangeOutBeforeIn = 444;
inline constexpr int kStrRangeOutBeforeInExport = 445;
inline constexpr int kStrAssignNoFile = 446;
inline constexpr int kStrAssign24On16 = 447;
inline constexpr int kStrAssignStereoOdd = 448;
inline constexpr int kStrAssignStereoLast = 449;
inline constexpr int kStrIncompleteFiles = 450;
inline constexpr int kStrRewrapLogCreated = 451;  // MXF file name, log path
inline constexpr int kStrRewrapLogFailed = 452;   // MXF file name, system code (hex)
inline constexpr int kStrAssignCaption = 453;

// The desktop application's WAV library: the loudness columns' headers and
// the cells of a file not measured yet or that cannot be measured.
inline constexpr int kStrLibraryLoudnessHeader = 800;
inline constexpr int kStrLibraryTruePeakHeader = 801;
inline constexpr int kStrLibraryMeasuring = 802;
inline constexpr int kStrLibraryNotMeasured = 803;

// The job runner's message formats and operation names.
inline constexpr int kStrLoadFailure = 500;      // file, reason, section, code, process
inline constexpr int kStrVerifyFailure = 501;    // file, reason, section, code
inline constexpr int kStrVerifyCancelled = 502;  // file
inline constexpr int kStrJobDone = 503;          // file, operation, process
inline constexpr int kStrJobCancelled = 504;     // file, operation, process
inline constexpr int kStrJobFailure = 505;       // file, operation, reason, code, process
inline constexpr int kStrOperationRewrap = 506;
inline constexpr int kStrOperationExport = 507;

// Texts of the command-line tool (ids 600 and up).
inline constexpr int kStrCliOpenFailed = 600;       // file, system code (hex)
inline constexpr int kStrCliFramesLeft = 601;       // frames left, frames in all
inline constexpr int kStrCliIsFolder = 602;         // path
inline constexpr int kStrCliErrorLogFailed = 603;   // file, system code (hex)
inline constexpr int kStrCliBackupQuestion = 604;
inline constexpr int kStrCliAllTracksOff = 605;
inline constexpr int kStrCliFileAndSilence = 606;   // track
inline constexpr int kStrCliReplacedFile = 607;     // path
inline constexpr int kStrCliLabelCreated = 610;
inline constexpr int kStrCliLabelModified = 611;
inline constexpr int kStrCliLabelProduct = 612;
inline constexpr int kStrCliLabelCompany = 613;
inline constexpr int kStrCliChecking = 620;          // progress: the range is being checked
inline constexpr int kStrCliWriting = 621;           // progress: the range is being written
inline constexpr int kStrCliReadBackMismatch = 622;  // track, timecode
inline constexpr int kStrCliTrackRefusal = 623;      // caption, track, reason
inline constexpr int kStrCliUndoHowTo = 624;
inline constexpr int kStrCliNoJournalHowTo = 625;
inline constexpr int kStrCliJournalDropped = 626;    // file
inline constexpr int kStrReachedTimecode = 627;      // timecode

// Reasons of the command line's usage errors (option names stay as typed).
inline constexpr int kStrUsageNeedsValue = 770;      // option
inline constexpr int kStrUsageTakesNoValue = 771;    // option
inline constexpr int kStrUsageUnknownOption = 772;   // option
inline constexpr int kStrUsageOneFile = 773;
inline constexpr int kStrUsageNoFile = 774;
inline constexpr int kStrUsageIo = 775;
inline constexpr int kStrUsageBuffer = 776;
inline constexpr int kStrUsageInOut = 777;
inline constexpr int kStrUsageTracksMissing = 778;
inline constexpr int kStrUsageDirMissing = 779;
inline constexpr int kStrUsageDirEmpty = 780;
inline constexpr int kStrUsageRunNumber = 781;
inline constexpr int kStrUsageTooLong = 782;         // option, units
inline constexpr int kStrUsageNotAFolder = 783;      // path
inline constexpr int kStrUsageNoSuchTrack = 784;     // track, track count
inline constexpr int kStrUsageNoSuchTrackOne = 785;  // track, track count (1)
inline constexpr int kStrUsageNoAudioTracks = 786;
inline constexpr int kStrUsageProgress = 787;
inline constexpr int kStrUsageLangMissing = 788;
inline constexpr int kStrUsageLang = 789;            // value
inline constexpr int kStrUsageUnknownCommand = 790;  // command
inline constexpr int kStrUsageTrack = 791;
inline constexpr int kStrUsageSilence = 792;
inline constexpr int kStrUsageLogEncoding = 793;     // encoding
inline constexpr int kStrUsageNoTerminal = 794;
inline constexpr int kStrUsageTrackList = 795;       // option, item
inline constexpr int kStrUsageJournalDir = 796;
inline constexpr int kStrUsageKeepJournals = 797;    // maximum
inline constexpr int kStrUsagePreset = 798;
inline constexpr int kStrUsageTarget = 799;
inline constexpr int kStrUsageTolerance = 805;
inline constexpr int kStrUsageTruePeak = 806;
inline constexpr int kStrUsageInOutTogether = 807;
inline constexpr int kStrUsagePairs = 808;           // item
inline constexpr int kStrUsageWavWhole = 809;

// Loudness measurement outcomes (loudness/loudness_status).
inline constexpr int kStrLoudnessCancelled = 810;
inline constexpr int kStrLoudnessNotLoaded = 811;
inline constexpr int kStrLoudnessBadTrack = 812;
inline constexpr int kStrLoudnessBadRange = 813;
inline constexpr int kStrLoudnessOpenFailed = 814;
inline constexpr int kStrLoudnessReadFailed = 815;
inline constexpr int kStrLoudnessElementMismatch = 816;
inline constexpr int kStrLoudnessNoMemory = 817;
inline constexpr int kStrLoudnessBadFormat = 818;
inline constexpr int kStrLoudnessFailed = 819;

// Undo journal texts (rewrap/undo_texts).
inline constexpr int kStrUndoNothingRewritten = 820;
inline constexpr int kStrUndoInterrupted = 821;      // file, time, range, frame reached
inline constexpr int kStrUndoNoRoom = 822;           // needed, free
inline constexpr int kStrUndoNoJournal = 823;
inline constexpr int kStrUndoBadJournal = 824;
inline constexpr int kStrUndoForeign = 825;
inline constexpr int kStrUndoChanged = 826;
inline constexpr int kStrUndoInterruptedFirst = 827;
inline constexpr int kStrUndoNotInterrupted = 828;
inline constexpr int kStrUndoMxfOpen = 829;
inline constexpr int kStrUndoIo = 830;
inline constexpr int kStrUndoMxfUnchanged = 831;
inline constexpr int kStrUndoWhere = 832;            // track, timecode, frame, offset
inline constexpr int kStrUndoRolledBack = 833;       // file, range, time, bytes
inline constexpr int kStrUndoDone = 834;             // file, range, time, bytes
inline constexpr int kStrUndoJournalSummary = 835;   // path, bytes
inline constexpr int kStrUndoJournalNone = 836;
inline constexpr int kStrUndoReadBackSummary = 837;  // bytes
inline constexpr int kStrUndoReadBackNone = 838;
inline constexpr int kStrUndoLogCaption = 839;       // the detail log (always Japanese)
inline constexpr int kStrUndoLogJournal = 840;       // path, bytes
inline constexpr int kStrUndoLogJournalNone = 841;
inline constexpr int kStrUndoLogReadBack = 842;      // bytes
inline constexpr int kStrUndoLogReadBackNone = 843;

// The system's cause of a job's failure, under its message (ids 900-939).
inline constexpr int kStrJobOsCause = 900;  // path, the system's words, its code

// The desktop application's settings and undo dialogs (ids 940-979).
inline constexpr int kStrSettingsMeasureLoudness = 940;
inline constexpr int kStrUndoMenu = 941;
inline constexpr int kStrUndoMenuRewrap = 942;        // range, time
inline constexpr int kStrUndoMenuInterrupted = 943;   // range, time
inline constexpr int kStrUndoAskRollBack = 944;       // what happened
inline constexpr int kStrUndoAskNoJournal = 945;      // the room needed and free
inline constexpr int kStrUndoAskUndo = 946;           // file name, range, time
inline constexpr int kStrUndoSettingsTitle = 947;
inline constexpr int kStrUndoSettingsJournal = 948;
inline constexpr int kStrUndoSettingsReadBack = 949;
inline constexpr int kStrUndoSettingsBesideMxf = 950;
inline constexpr int kStrUndoSettingsBrowse = 951;
inline constexpr int kStrUndoSettingsChooseFolder = 952;
inline constexpr int kStrUndoSettingsFolder = 953;
inline constexpr int kStrUndoSettingsKeep = 954;
inline constexpr int kStrSettingsTitle = 960;
inline constexpr int kStrSettingsGroup = 961;
inline constexpr int kStrSettingsFileIo = 962;
inline constexpr int kStrSettingsBuffer = 963;
inline constexpr int kStrSettingsLogEncoding = 964;
inline constexpr int kStrSettingsNoteFileIo = 965;
inline constexpr int kStrSettingsNoteBuffer = 966;  // rewrap and export read limits (MiB)
// The progress dialog; the pairs are rewrap, export.
inline constexpr int kStrProgressStopped = 955;     // and 956
inline constexpr int kStrProgressWritingLog = 957;
inline constexpr int kStrProgressLogWritten = 958;
inline constexpr int kStrProgressCancel = 967;
inline constexpr int kStrProgressClose = 968;
inline constexpr int kStrProgressRunning = 969;     // and 970
inline constexpr int kStrProgressChecking = 971;    // and 972
inline constexpr int kStrProgressCheckedUpTo = 973; // timecode
inline constexpr int kStrProgressCancelWait = 974;
inline constexpr int kStrProgressCancelling = 975;
inline constexpr int kStrProgressDoneStatus = 976;  // and 977
inline constexpr int kStrProgressDone = 978;        // and 979

// Command-line refusals and notes, the WAV input causes and the check-pass cancel.
inline constexpr int kStrTrackNamedTwice = 480;
inline constexpr int kStrStereoPartnerNamed = 481;
inline constexpr int kStrTimecodeUnreadable = 482;
inline constexpr int kStrTimecodeNotAtRate = 483;
inline constexpr int kStrTimecodeSkipped = 484;
inline constexpr int kStrPlanRange = 485;
inline constexpr int kStrPlanTrackFile = 486;
inline constexpr int kStrPlanTrackChannel = 487;
inline constexpr int kStrPlanTrackSilence = 488;
inline constexpr int kStrWavEndsEarly = 489;
inline constexpr int kStrWavMissing = 490;
inline constexpr int kStrWavIsFolder = 491;
inline constexpr int kStrWavUnreadable = 492;
inline constexpr int kStrWavNotRegular = 493;
inline constexpr int kStrExportFolderReadOnly = 494;
inline constexpr int kStrPrefixHasPath = 495;
inline constexpr int kStrCancelledInCheck = 496;
inline constexpr int kStrLogNotCreated = 497;

inline constexpr size_t kStringBufferUnits = 256;

enum class TextLanguage { Japanese, English };

// The language LoadString answers in: Japanese unless the command-line tool
// chose English at start-up. Writers of logs ask for Japanese explicitly.
void SetTextLanguage(TextLanguage language);
TextLanguage CurrentTextLanguage();

// The text of `id` in the current language (or in `language`),
// zero-terminated and static, or nullptr for an id the table does not hold.
const char16_t* LoadStringById(int id);
const char16_t* LoadStringById(int id, TextLanguage language);

// The text of `id`; empty for an id the table does not hold.
std::u16string LoadString(int id);
std::u16string LoadString(int id, TextLanguage language);

// Every id the table holds, in order (for the tests that check both columns).
std::vector<int> StringIds();

// Copies the text of `id` into buffer (capacity units, zero-terminated, cut
// to capacity - 1 units) and returns the units copied; 0 (and an empty
// buffer) for an unknown id.
size_t LoadStringInto(int id, char16_t* buffer, size_t capacity);
