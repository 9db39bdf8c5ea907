#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "transfer/DownloadJob.h"

namespace updater {

// The ".part" file beside the destination that a download fills and a later one resumes.

// How many bytes a partial file at `path` holds for a resume; 0 when there is none, or when it
// holds more than a download can count.
DWORD PartialFileSize(const std::wstring& path);

// Opens the job's partial file for writing at the job's resume offset, cutting off what lies
// beyond it, or creates it anew (with the shared access the settings ask for) when the offset
// is 0. Failures are reported.
ResultCode CreatePartialFile(DownloadJob& job, FileHandle* file);

// Puts the finished partial file in the destination's place; failures are reported.
ResultCode MovePartialToDestination(DownloadJob& job);

}  // namespace updater
