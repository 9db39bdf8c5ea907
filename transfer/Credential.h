#pragma once

#include <string>

namespace updater {

// A user name and its password, in plain text.
struct Credential {
  std::wstring user;
  std::wstring password;

  bool operator==(const Credential& other) const {
    return user == other.user && password == other.password;
  }
};

}  // namespace updater
