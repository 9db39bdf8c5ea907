#include "engine/ServerMessageKeys.h"

#include <utility>
#include <vector>

#include "base/AnsiText.h"
#include "transfer/HexText.h"
#include "transfer/Sha256File.h"

namespace updater {
namespace {

constexpr wchar_t kGeneral[] = L"General";

struct MessageKeyName {
  std::wstring ServerMessage::*field;
  const wchar_t* name;
};
constexpr MessageKeyName kMessageKeys[] = {
    {&ServerMessage::title, L"MessageTitle"},
    {&ServerMessage::body, L"MessageBody"},
    {&ServerMessage::expirationDate, L"MessageExpirationDate"},
    {&ServerMessage::imageUrl, L"MessageImageURL"},
    {&ServerMessage::uri, L"MessageURI"},
    {&ServerMessage::buttonText, L"MessageButtonText"},
};

}  // namespace

bool ReadServerMessage(const IniReader& reader, ServerMessage* message) {
  for (const MessageKeyName& key : kMessageKeys) {
    message->*key.field = reader.ReadText(kGeneral, key.name);
  }
  SYSTEMTIME date;
  return !message->title.empty() && !message->body.empty() &&
         ParseCalendarDate(message->expirationDate, &date);
}

ResultCode WriteServerMessage(const IniReader& writer, const ServerMessage& message) {
  for (const MessageKeyName& key : kMessageKeys) {
    if ((message.*key.field).empty()) continue;
    if (const ResultCode result = writer.WriteText(kGeneral, key.name, message.*key.field)) {
      return result;
    }
  }
  return kSuccess;
}

bool IsMessageExpired(const std::wstring& expirationDate, const SYSTEMTIME& today) {
  SYSTEMTIME date;
  if (!ParseCalendarDate(expirationDate, &date)) return false;
  const auto day = [](const SYSTEMTIME& t) { return (t.wYear * 13 + t.wMonth) * 32 + t.wDay; };
  return day(date) < day(today);
}

std::wstring MessageKey(const ServerMessage& message) {
  std::wstring joined;
  for (const MessageKeyName& key : kMessageKeys) joined += message.*key.field;
  std::vector<unsigned char> digest;
  if (ComputeSHA256(ToUtf8Text(joined), &digest) != kSuccess) return {};
  return ToHexText(digest);
}

ServerMessageReader ServerMessageReaderFor(ServerMessageTaker take) {
  return [take = std::move(take)](const IniReader& reader) {
    ServerMessage message;
    take(ReadServerMessage(reader, &message) ? &message : nullptr);
    // An incomplete message is ignored, not a failure of the load.
    return kSuccess;
  };
}

ServerMessageWriter ServerMessageWriterFor(ServerMessage message) {
  return [message = std::move(message)](const IniReader& writer) {
    return WriteServerMessage(writer, message);
  };
}

}  // namespace updater
