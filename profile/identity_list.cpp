#include "profile/identity_list.h"

#include "platform/module_ini.h"

#include <cstdint>
#include <string>

namespace profile {

void ListUsers(IdentityListOwner& owner, platform::ListControl& names, platform::ListControl& keys) {
    using namespace Module_ini;
    std::int32_t n = 0;
    for (;;) {
        const std::wstring key = RegEnumSubKeys(platform::kHkeyCurrentUser, L"Identities", n);
        if (key == kErr) break;
        keys.AddItem(key);
        names.AddItem(RegReadString(platform::kHkeyCurrentUser, L"Identities\\" + key, L"Username"));
        ++n;
    }
    if (n != 0) {
        // Selecting in code sends no selection notice, so the pick handler is run here.
        owner.OwnUserList().SetListIndex(0);
        owner.UserList_Click();
    }
}

}  // namespace profile
