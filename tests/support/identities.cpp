#include "support/identities.h"

#include "support/registry_sandbox.h"

#include <windows.h>

namespace testsupport {

void MakeIdentity(const std::string& key, const char* username, const char* storeRoot) {
    const std::string base = "Identities\\" + key;
    CreateKey(base);
    if (username) SetRawValue(base, "Username", REG_SZ, std::string(username) + '\0');
    if (storeRoot)
        SetRawValue(base + "\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root", REG_EXPAND_SZ,
                    std::string(storeRoot) + '\0');
}

void RemoveIdentities() { DeleteTree("Identities"); }

}  // namespace testsupport
