#pragma once

#include <string>
#include <vector>

namespace updater {

// The publisher's commands over an update configuration file, the client configuration and the
// installers, as the console tool runs them. Each writes what it did or found to `out`, what the
// publisher should put right but did not stop it to `warnings`, and answers the process exit code:
// 0 when all went well, 1 for a problem with the file or the keys, 2 for a command line it does
// not take.
//   keygen PRIVATEKEYFILE                 a new key pair, the private key readable by the user
//                                         alone; prints the FeedPublicKey= line
//   pubkey PRIVATEKEYFILE                 the FeedPublicKey= line of a private key file (keygen's, or
//                                         a P-256 PEM key of standard tools)
//   blockmap INSTALLER                    INSTALLER.blockmap beside it: the installer's size and
//                                         SHA-256 and its content-defined blocks (BlockMap.h)
//   hash FILE FOLDER                      Size and SHA256 of each section from FOLDER's installers;
//                                         only their values change, the rest of the file stays
//   sign FILE PRIVATEKEYFILE [DAYS [SERIAL]]   serial (default: the time), expiry (default 30
//                                         days) and signature lines, replacing earlier ones;
//                                         warns when others may read the private key or the
//                                         serial is not above the file's earlier one; refuses,
//                                         printing them, a file with problems validate reports
//   validate FILE                         loads each section as the updater does and reports every
//                                         problem, one line each naming its section, and whether
//                                         the updater would refuse the whole file
//   validate-client CLIENTFILE            every problem of a client configuration file, one line
//                                         each naming its key, or a line saying there is none
int RunFeedTool(const std::vector<std::wstring>& arguments, std::wstring* out,
                std::wstring* warnings);

}  // namespace updater
