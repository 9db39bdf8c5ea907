#pragma once

#include <string>
#include <vector>

#include "catalogue/ServerMessage.h"

namespace updater {

// The URL scheme that brings a toast's click back to the updater.
constexpr wchar_t kUrlScheme[] = L"merrow-tovan-updater";

// `text` with &, <, >, " and ' replaced by their entities: fit for XML text and attributes, and
// never holding a quote that could end the script's here-string.
std::wstring EscapeXml(const std::wstring& text);

// Whether a file name from the server may be kept as a toast's picture: a plain name with the
// extension of a format toasts show, so that the download cannot replace the update configuration
// file, the log or anything else that lives in the downloads folder.
bool IsToastImageName(const std::wstring& name);

// The resource id of the toast template for a message with or without a link and an image.
int ToastTemplateId(bool hasLink, bool hasImage);

// `format` with each "%s", in order, replaced by the next of `values`; a "%s" without a value is
// dropped. Values are not searched for placeholders.
std::wstring FillPlaceholders(const std::wstring& format, const std::vector<std::wstring>& values);

// The toast XML of `message`, with `imagePath` as its image (empty: none), from the template that
// ToastTemplateId names for it.
std::wstring BuildToastXml(const std::wstring& format, const ServerMessage& message,
                           const std::wstring& imagePath);

// `text` fit to stand between single quotes in PowerShell: each quote that would end the string
// (', and U+2018 to U+201B) written twice, which PowerShell reads as that quote itself.
std::wstring EscapeSingleQuoted(const std::wstring& text);

// The PowerShell script that shows `xml` as a toast of the application `appId`. The XML goes into
// a single-quoted here-string, which PowerShell takes literally, so that a server's texts never
// run as commands.
std::wstring BuildToastScript(const std::wstring& format, const std::wstring& appId,
                              const std::wstring& xml);

// A UTF-8 RCDATA resource of this executable as text; empty when it is missing.
std::wstring LoadTextResource(int id);

}  // namespace updater
