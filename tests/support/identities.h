// Builds mail identities in the test prefix's registry the way the mail client records them.
#pragma once

#include <string>

namespace testsupport {

// HKCU\Identities\<key> with "Username" (when given) and, when storeRoot is given, the
// mail client's settings key "...\Outlook Express\5.0" holding "Store Root".
void MakeIdentity(const std::string& key, const char* username, const char* storeRoot);
void RemoveIdentities();

}  // namespace testsupport
