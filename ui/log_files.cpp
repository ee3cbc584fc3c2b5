#include "ui/log_files.h"

#include "platform/file.h"
#include "platform/text.h"

std::string LogEncoding() {
  std::string encoding = plat::LocaleEncoding();
  if (encoding.empty() || encoding == "ANSI_X3.4-1968" || encoding == "ASCII") return "UTF-8";
  return encoding;
}

bool CanCreateLogFile(const std::u16string& path, plat::SysError* err) {
  plat::File file = plat::File::Open(path, plat::Access::Write, plat::Share::Exclusive, err);
  return file.valid();
}
