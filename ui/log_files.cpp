#include "ui/log_files.h"

#include "platform/file.h"
#include "platform/text.h"

std::string LogEncodingName(uint8_t setting) {
  if (setting == LOG_ENCODING_UTF8) return "UTF-8";
  if (setting == LOG_ENCODING_CP932) return "CP932";
  std::string encoding = plat::LocaleEncoding();
  if (encoding.empty() || encoding == "ANSI_X3.4-1968" || encoding == "ASCII") return "UTF-8";
  return encoding;
}

std::u16string LogEncodingLabel(int setting) {
  switch (setting) {
    case LOG_ENCODING_UTF8: return u"UTF-8";
    case LOG_ENCODING_CP932: return u"Shift_JIS (CP932)";
    default: return u"システムのロケール";
  }
}

bool CanCreateLogFile(const std::u16string& path, plat::SysError* err) {
  plat::File file = plat::File::Open(path, plat::Access::Write, plat::Share::Exclusive, err);
  return file.valid();
}
