// The current user's mail identities: key names and user names, index-aligned, registry order.
#pragma once

#include "platform/list_control.h"

namespace profile {

// What the identity listing needs of the main window: its own user list and the handler that
// runs when an identity is picked there.
class IdentityListOwner {
public:
    virtual ~IdentityListOwner() = default;
    virtual platform::ListControl& OwnUserList() = 0;
    virtual void UserList_Click() = 0;
};

// Appends each identity's user name to `names` ("err" when it has none) and its key to `keys`,
// stopping at the first enumeration that fails. When any was found, selects the first entry of
// the owner's own user list and runs its pick handler once.
void ListUsers(IdentityListOwner& owner, platform::ListControl& names, platform::ListControl& keys);

}  // namespace profile
