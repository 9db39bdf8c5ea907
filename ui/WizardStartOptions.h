#pragma once

namespace updater {

// How the wizard starts, shared by its sheet and its pages.
struct WizardStartOptions {
  // The automatic install modes and -startminimized: the sheet starts hidden in the notification
  // area, and the first page to start announces it with a balloon and clears this.
  bool startMinimized = false;
};

}  // namespace updater
