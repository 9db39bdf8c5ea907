#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "catalogue/VersionNumber.h"

namespace updater {

// Bits of an update's Flags key, as stored.
enum UpdateFlag : std::uint32_t {
  kUpdateCritical = 0x1,
  kUpdateMajor = 0x2,
  kUpdateSilentInstall = 0x4,
  kUpdateSys64 = 0x8,
  kUpdateNoCache = 0x10,
  kUpdateOs32Only = 0x20,
  kUpdateOs64 = 0x40,
  kUpdateAdvertises = 0x80,
  kUpdateNotSelected = 0x100,
  kUpdateIsPatch = 0x200,
  kUpdateSingleUpdate = 0x800,
  kUpdateNoRedetect = 0x1000,
};

// Flag set of an application to close before installing.
enum AutoCloseFlag : std::uint32_t {
  kAutoCloseNoRestart = 1,
  kAutoCloseAlwaysRestart = 2,
  kAutoCloseQueryEndSession = 4,
};

enum class DetectionKind : int { Registry = 0, File = 1, Custom = 3, AppPackage = 4, None = 5 };

enum DetectionBit : std::uint32_t {
  kDetectionVersionGiven = 0x1,
  kDetectionFileSizeGiven = 0x2,
};

enum class VersionOperator : int { None = 0, Equal = 1, AtLeast = 2 };

enum class DescriptionKind : int { Features = 0, Enhancements = 1, BugFixes = 2 };

// One of the three item lists shown with an update.
struct DescriptionGroup {
  DescriptionKind kind;
  std::vector<std::wstring> items;
};

// An application to close before the installer runs, and how to treat it afterwards.
struct AutoCloseEntry {
  std::wstring application;
  std::wstring arguments;
  std::wstring windowTitle;
  std::uint32_t flags = 0;
  // Worked out when the application is closed for an installation.
  bool restart = false;
  bool closed = false;
};

// One update of the update configuration file. References to other records point into the same
// UpdateList and are not owned.
struct UpdateInfo {
  std::wstring sectionName;
  std::wstring name;
  std::wstring category;
  std::wstring serverFileName;
  std::vector<std::wstring> updatedApplicationVersions;
  std::vector<std::wstring> updatedApplications;
  std::vector<std::wstring> descriptions;
  DescriptionGroup features{DescriptionKind::Features, {}};
  DescriptionGroup enhancements{DescriptionKind::Enhancements, {}};
  DescriptionGroup bugFixes{DescriptionKind::BugFixes, {}};
  std::int32_t size = 0;
  std::uint32_t flags = 0;
  // The share of installations offered the update (RolloutPercent.h): 0-100, or kRolloutToNobody.
  int rolloutPercent = 100;
  std::wstring sha256;
  std::wstring md5;
  // Where the installer's block map is, for a download that copies the blocks already here.
  std::wstring blockMapUrl;
  std::vector<std::wstring> urls;
  std::vector<AutoCloseEntry> autoCloseApplications;
  std::wstring commandLine;
  std::wstring noGuiSwitch;
  VersionNumber targetOsMinVersion;
  VersionNumber targetOsMaxVersion;

  DetectionKind detectionKind = DetectionKind::None;
  std::uint32_t detectionBits = 0;
  std::wstring detectionTarget;
  std::wstring customDetectionParams;
  std::wstring appIdName;
  std::wstring appIdArch;
  std::wstring appIdResourceId;
  std::wstring appIdPublisherId;
  std::int32_t targetUnresolved = 0;
  VersionOperator versionOperator = VersionOperator::None;
  VersionNumber version;
  std::int32_t fileSize = 0;
  SYSTEMTIME releaseDate = {};

  UpdateInfo* dependsOn = nullptr;
  UpdateInfo* requiredBy = nullptr;
  bool replacesAll = false;
  std::vector<UpdateInfo*> replacedUpdates;
  UpdateInfo* nextDeprecated = nullptr;

  ResultCode state = 0;
  // Its installer ran in this process and reported success.
  bool installerSucceeded = false;
  bool evaluated = false;
  bool selectedForInstall = false;
  bool skipped = false;
  bool isAbsorbed = false;
  std::wstring localFilePath;

  bool HasFlag(std::uint32_t flag) const { return (flags & flag) != 0; }
};

// The updates of one check in file order, newest first. A deque, so that the references between
// records stay valid while records are appended.
struct UpdateList {
  std::deque<UpdateInfo> updates;
  // The file was UTF-16; the selected-updates file written from this list is UTF-16 too.
  bool isUtf16 = false;
};

}  // namespace updater
