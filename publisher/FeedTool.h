#pragma once

#include <string>
#include <vector>

namespace updater {

// The publisher's commands over an update configuration file, as the console tool runs them.
// Each writes what it did or found to `out` and answers the process exit code: 0 when all went
// well, 1 for a problem with the file or the keys, 2 for a command line it does not take.
//   keygen PRIVATEKEYFILE                 a new key pair; prints the FeedPublicKey= line
//   hash FILE FOLDER                      Size and SHA256 of each section from FOLDER's installers
//   sign FILE PRIVATEKEYFILE [DAYS [SERIAL]]   serial (default: the time), expiry (default 30
//                                         days) and signature lines, replacing earlier ones
//   validate FILE                         loads each section as the updater does and reports every
//                                         problem, one line each naming its section
int RunFeedTool(const std::vector<std::wstring>& arguments, std::wstring* out);

}  // namespace updater
