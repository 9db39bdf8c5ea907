#include "catalogue/DetectionKeys.h"

#include "catalogue/IniReader.h"
#include "config/PathExpansion.h"

namespace updater {
namespace {

void SetExpandedTarget(const std::wstring& path, const std::wstring& appDir, UpdateInfo* update) {
  if (ExpandPath(path, appDir, SystemPathLookup(), &update->detectionTarget) != kSuccess) {
    update->detectionTarget = path;
    update->targetUnresolved = 1;
  }
}

}  // namespace

void ReadDetectionKeys(const KeyText& text, const std::wstring& appDir, UpdateInfo* update) {
  update->detectionKind = DetectionKind::None;
  update->detectionBits = 0;
  update->detectionTarget.clear();
  update->targetUnresolved = 0;
  update->fileSize = 0;
  update->appIdName.clear();
  update->versionOperator = VersionOperator::None;
  update->version = VersionNumber();
  const std::wstring filePath = text(L"FilePath");
  if (!filePath.empty()) {
    update->detectionKind = DetectionKind::File;
    SetExpandedTarget(filePath, appDir, update);
    const std::wstring fileSize = text(L"FileSize");
    if (!fileSize.empty()) {
      update->fileSize = ParseIniInteger(fileSize);
      update->detectionBits |= kDetectionFileSizeGiven;
    }
  } else if (const std::wstring registryKey = text(L"RegistryKey"); !registryKey.empty()) {
    update->detectionKind = DetectionKind::Registry;
    update->detectionTarget = registryKey;
  } else if (const std::wstring custom = text(L"CustomDetection"); !custom.empty()) {
    update->detectionKind = DetectionKind::Custom;
    SetExpandedTarget(custom, appDir, update);
  } else {
    update->appIdName = text(L"AppIdName");
    if (!update->appIdName.empty()) update->detectionKind = DetectionKind::AppPackage;
  }
  update->customDetectionParams = text(L"CustomDetectionParams");
  update->appIdArch = text(L"AppIdArch");
  update->appIdResourceId = text(L"AppIdResourceId");
  update->appIdPublisherId = text(L"AppIdPublisherId");
  const std::wstring version = text(L"Version");
  if (!version.empty()) {
    ParseVersionCondition(version, &update->versionOperator, &update->version);
    update->detectionBits |= kDetectionVersionGiven;
  }
}

}  // namespace updater
