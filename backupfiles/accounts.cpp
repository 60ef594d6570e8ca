#include "backupfiles/accounts.h"

#include <string_view>

namespace backupfiles {
namespace {

using std::string_view;

constexpr string_view kAccountsKey = "Software\\Microsoft\\Internet Account Manager\\Accounts";

// Incoming servers in the order that decides an account's kind, with the user name beside each.
struct Incoming {
    AccountKind kind;
    string_view server;
    string_view userName;
};
constexpr Incoming kIncoming[] = {
    {AccountKind::kPop3, "POP3 Server", "POP3 User Name"},
    {AccountKind::kImap, "IMAP Server", "IMAP User Name"},
    {AccountKind::kHttpMail, "HTTPMail Server", "HTTPMail User Name"},
    {AccountKind::kNews, "NNTP Server", "NNTP User Name"},
};

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameValueName(string_view a, string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

bool SameKey(string_view a, string_view b, const LeadBytes& lead) {
    return a.size() == b.size() && IsKeyInTree(a, b, lead);
}

// The name of the account key that `path` is (one part below ...\Accounts); empty for any other key.
string_view AccountKeyName(string_view path, const LeadBytes& lead) {
    if (path.size() <= kAccountsKey.size() || !IsKeyInTree(path, kAccountsKey, lead)) return {};
    const string_view name = path.substr(kAccountsKey.size() + 1);
    for (std::size_t i = 0; i < name.size(); i += lead.Length(name, i))
        if (name[i] == '\\') return {};
    return name;
}

// The blocks of one key, all of them, since the file may name it more than once.
struct KeyBlocks {
    string_view name;
    std::vector<const RegTextKey*> blocks;

    // The text of value `valueName` as the import would leave it: the last one the file names.
    std::string Text(string_view valueName) const {
        const RegValue* last = nullptr;
        for (const RegTextKey* k : blocks)
            for (const RegValue& v : k->values)
                if (SameValueName(v.name, valueName)) last = &v;
        if (!last || (last->type != kRegSz && last->type != kRegExpandSz)) return {};
        return last->data.substr(0, last->data.find('\0'));
    }
};

// Fills an account from its key; false for a key holding no incoming server.
bool ReadAccount(const KeyBlocks& key, MailAccount& out) {
    for (const Incoming& in : kIncoming) {
        out.incomingServer = key.Text(in.server);
        if (out.incomingServer.empty()) continue;
        const bool news = in.kind == AccountKind::kNews;
        out.key = key.name;
        out.kind = in.kind;
        out.name = key.Text("Account Name");
        out.displayName = key.Text(news ? "NNTP Display Name" : "SMTP Display Name");
        out.address = key.Text(news ? "NNTP Email Address" : "SMTP Email Address");
        out.outgoingServer = news ? std::string() : key.Text("SMTP Server");
        out.userName = key.Text(in.userName);
        return true;
    }
    return false;
}

}  // namespace

AccountList ReadAccounts(const RegText& settings, const LeadBytes& lead) {
    KeyBlocks manager;
    std::vector<KeyBlocks> keys;
    for (const RegTextKey& k : settings.keys) {
        if (SameKey(k.path, kAccountTree, lead)) {
            manager.blocks.push_back(&k);
            continue;
        }
        const string_view name = AccountKeyName(k.path, lead);
        if (name.empty()) continue;
        KeyBlocks* found = nullptr;
        for (KeyBlocks& seen : keys)
            if (SameKey(seen.name, name, lead)) found = &seen;
        if (!found) found = &keys.emplace_back(KeyBlocks{name, {}});
        found->blocks.push_back(&k);
    }
    AccountList out;
    out.defaultMail = manager.Text("Default Mail Account");
    out.defaultNews = manager.Text("Default News Account");
    for (const KeyBlocks& key : keys) {
        MailAccount account;
        if (!ReadAccount(key, account)) continue;
        const std::string& wanted = account.kind == AccountKind::kNews ? out.defaultNews : out.defaultMail;
        account.isDefault = !wanted.empty() && SameKey(account.key, wanted, lead);
        out.accounts.push_back(std::move(account));
    }
    return out;
}

}  // namespace backupfiles
