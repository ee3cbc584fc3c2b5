#include "ui/drop_rules.h"

#include "platform/path.h"

DropKind ClassifyDroppedName(std::u16string_view path) {
  if (path.size() > kDroppedNameCapacity - 1) path = path.substr(0, kDroppedNameCapacity - 1);
  const std::u16string name = plat::FileNamePart(path);
  const size_t dot = name.rfind(u'.');
  if (dot == std::u16string::npos) return DropKind::Other;
  std::u16string ext = name.substr(dot);
  if (ext.size() <= 4) {
    for (size_t i = 1; i < ext.size(); ++i) {
      if (ext[i] >= u'A' && ext[i] <= u'Z') ext[i] = static_cast<char16_t>(ext[i] - u'A' + u'a');
    }
  }
  if (ext == u".wav" || ext == u".bwf") return DropKind::Wav;
  if (ext == u".mxf") return DropKind::Mxf;
  return DropKind::Other;
}

DROP_PLAN PlanDrop(const std::vector<std::u16string>& names, bool loaded) {
  DROP_PLAN plan;
  for (const std::u16string& full : names) {
    const std::u16string name = full.substr(0, kDroppedNameCapacity - 1);
    switch (ClassifyDroppedName(name)) {
      case DropKind::Wav:
        plan.wavDropped = true;
        if (loaded) plan.wavToAdd.push_back(name);
        break;
      case DropKind::Mxf:
        plan.mxfPath = name;
        ++plan.mxfCount;
        break;
      case DropKind::Other: break;
    }
  }
  return plan;
}
