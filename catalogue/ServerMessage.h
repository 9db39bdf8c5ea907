#pragma once

#include <string>

namespace updater {

// A publisher message from the update configuration file, as the message window and the toast
// notifications show it. Plain data, so that every front end can show one.
struct ServerMessage {
  std::wstring title;           // MessageTitle
  std::wstring body;            // MessageBody, may carry markup
  std::wstring expirationDate;  // MessageExpirationDate, day/month/year
  std::wstring imageUrl;        // MessageImageURL; empty for a message without an image
  std::wstring uri;             // MessageURI; empty for a message without a link
  std::wstring buttonText;      // MessageButtonText, the text of the link
};

}  // namespace updater
