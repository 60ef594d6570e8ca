// Identity listing against real list controls and the test prefix's "Identities" key.
#include "profile/identity_list.h"
#include "support/registry_sandbox.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

namespace {

using testsupport::SetRawValue;

struct Identity { std::string key; const char* username; };  // username nullptr: no value

class ListUsersTest : public ::testing::Test, public profile::IdentityListOwner {
protected:
    void SetUp() override {
        testsupport::DeleteTree("Identities");
        combo_ = window_.AddChild(L"ComboBox", CBS_DROPDOWNLIST);
        list_ = window_.AddChild(L"ListBox", 0);
        userList_ = platform::ListControl(combo_);
        userDList_ = platform::ListControl(list_);
    }
    void TearDown() override { testsupport::DeleteTree("Identities"); }

    void MakeIdentities(const std::vector<Identity>& ids) {
        ASSERT_TRUE(testsupport::CreateKey("Identities"));
        for (const Identity& id : ids) {
            ASSERT_TRUE(testsupport::CreateKey("Identities\\" + id.key));
            if (id.username) {
                ASSERT_TRUE(SetRawValue("Identities\\" + id.key, "Username", REG_SZ, std::string(id.username) + '\0'));
            }
        }
    }

    static std::vector<std::wstring> Items(const platform::ListControl& list) {
        std::vector<std::wstring> items;
        for (int i = 0; i < list.ListCount(); ++i) items.push_back(list.List(i));
        return items;
    }

    platform::ListControl& OwnUserList() override { return userList_; }
    void UserList_Click() override { clicks_.push_back(userList_.ListIndex()); }

    testsupport::TestWindow window_;
    HWND combo_ = nullptr;
    HWND list_ = nullptr;
    platform::ListControl userList_;
    platform::ListControl userDList_;
    std::vector<int> clicks_;  // the selected position at each pick
};

struct Listing {
    const char* what;
    bool makeRoot;
    std::vector<Identity> ids;
    std::vector<std::wstring> names, keys;
};

// Keeps the test names short where ctest shows them.
void PrintTo(const Listing& row, std::ostream* os) { *os << row.what; }

class ListUsersListing : public ListUsersTest, public ::testing::WithParamInterface<Listing> {};

TEST_P(ListUsersListing, FillsBothListsAlignedAndPicksTheFirst) {
    const Listing& r = GetParam();
    if (r.makeRoot) MakeIdentities(r.ids);

    profile::ListUsers(*this, userList_, userDList_);

    EXPECT_EQ(r.names, Items(userList_));
    EXPECT_EQ(r.keys, Items(userDList_));
    if (r.keys.empty()) {
        EXPECT_TRUE(clicks_.empty());
        EXPECT_EQ(-1, userList_.ListIndex());
    } else {
        EXPECT_EQ(std::vector<int>{0}, clicks_);  // picked once, with the first entry selected
    }
}

// Key names sort the same way in every registry, so the order below is the enumeration order.
INSTANTIATE_TEST_SUITE_P(Registry, ListUsersListing, ::testing::Values(
    Listing{"three identities", true,
            {{"{11111111-aaaa}", "Taro"}, {"{22222222-bbbb}", "Hanako"}, {"{33333333-cccc}", "Main Identity"}},
            {L"Taro", L"Hanako", L"Main Identity"},
            {L"{11111111-aaaa}", L"{22222222-bbbb}", L"{33333333-cccc}"}},
    Listing{"no Identities key", false, {}, {}, {}},
    Listing{"Identities without subkeys", true, {}, {}, {}},
    Listing{"identity without Username", true,
            {{"{11111111-aaaa}", nullptr}, {"{22222222-bbbb}", "Hanako"}},
            {L"err", L"Hanako"},
            {L"{11111111-aaaa}", L"{22222222-bbbb}"}},
    Listing{"a subkey named err ends the list", true,
            {{"aaa", "First"}, {"err", "Hidden"}, {"zzz", "Never"}},
            {L"First"},
            {L"aaa"}}),
    [](const ::testing::TestParamInfo<Listing>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST_F(ListUsersTest, SelectsOnTheWindowsOwnUserList) {
    MakeIdentities({{"{11111111-aaaa}", "Taro"}});
    // Another names list: the selection still goes to the owner's UserList.
    platform::ListControl other(window_.AddChild(L"ComboBox", CBS_DROPDOWNLIST));
    userList_.AddItem(L"placeholder");
    profile::ListUsers(*this, other, userDList_);
    EXPECT_EQ(std::vector<std::wstring>{L"Taro"}, Items(other));
    EXPECT_EQ(-1, other.ListIndex());
    EXPECT_EQ(std::vector<int>{0}, clicks_);
}

}  // namespace
