#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/ResultCode.h"
#include "catalogue/IniReader.h"
#include "catalogue/SelectedUpdatesWriter.h"
#include "catalogue/ServerConfig.h"
#include "catalogue/ServerMessage.h"

namespace updater {

// The publisher's message keys of [General]. False, and `message` incomplete, when the title, the
// body or a valid expiry date is missing: such a message is ignored.
bool ReadServerMessage(const IniReader& reader, ServerMessage* message);
// Writes the keys that ReadServerMessage reads, leaving out empty ones.
ResultCode WriteServerMessage(const IniReader& writer, const ServerMessage& message);

// A message is valid through the day of its expiry date (day/month/year, as ReleaseDate);
// false for a date that does not parse.
bool IsMessageExpired(const std::wstring& expirationDate, const SYSTEMTIME& today);

// The message's identity: SHA-256 over the UTF-8 of title, body, expiry date, image URL, link and
// button text joined, as 64 upper-case hexadecimal digits; any edit gives a new key.
std::wstring MessageKey(const ServerMessage& message);

// Takes the message of each [General] section a check reads: null when its keys make no message
// (ReadServerMessage), so that a front end deals in the message alone, not in the file.
using ServerMessageTaker = std::function<void(const ServerMessage* message)>;
ServerMessageReader ServerMessageReaderFor(ServerMessageTaker take);
// Writes `message` into [General] of the selected-updates file handed to a temporary copy.
ServerMessageWriter ServerMessageWriterFor(ServerMessage message);

}  // namespace updater
