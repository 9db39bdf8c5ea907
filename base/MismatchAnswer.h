#pragma once

namespace updater {

// What a downloaded file that failed its digest check becomes: the answer of whoever watches the
// download, named below every layer that asks or answers.
enum class MismatchAnswer { Keep, DownloadAgain, Cancel };

}  // namespace updater
