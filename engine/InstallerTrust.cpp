#include "engine/InstallerTrust.h"

#include <windows.h>

#include <vector>

#include "base/UniqueHandle.h"
#include "transfer/Sha256File.h"
#include "transfer/SignatureCheck.h"

namespace updater {
namespace {

bool DigestOf(const std::wstring& path, std::vector<unsigned char>* digest) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && ComputeSHA256(file.Get(), digest) == kSuccess;
}

}  // namespace

ResultCode VerifyInstallerPublisher(const std::wstring& reference, const std::wstring& installer,
                                    PublisherRule rule) {
  return rule == PublisherRule::OwnRights ? VerifySamePublisher(reference, installer)
                                          : VerifyDigitalSignature(reference, installer);
}

bool SameFileContent(const std::wstring& a, const std::wstring& b) {
  std::vector<unsigned char> digestA, digestB;
  return !DigestOf(a, &digestA) || !DigestOf(b, &digestB) || digestA == digestB;
}

}  // namespace updater
