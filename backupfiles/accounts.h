// The mail and news accounts held in a parsed settings file: the keys
// Software\Microsoft\Internet Account Manager\Accounts\<n> and the default accounts named in
// Software\Microsoft\Internet Account Manager. Only names, addresses, servers and user names are
// taken; no password nor any other value is carried into the result. Texts stay code-page bytes.
#pragma once

#include "backupfiles/lead_bytes.h"
#include "backupfiles/reg_text.h"

#include <string>
#include <vector>

namespace backupfiles {

enum class AccountKind { kPop3, kImap, kHttpMail, kNews };

struct MailAccount {
    std::string key;             // its key name below ...\Accounts, as the file spells it ("00000001")
    AccountKind kind = AccountKind::kPop3;
    std::string name;            // "Account Name"
    std::string displayName;     // "SMTP Display Name"; news: "NNTP Display Name"
    std::string address;         // "SMTP Email Address"; news: "NNTP Email Address"
    std::string incomingServer;  // "POP3 Server", "IMAP Server", "HTTPMail Server" (a URL) or "NNTP Server"
    std::string outgoingServer;  // "SMTP Server"; empty for news
    std::string userName;        // "POP3 User Name", "IMAP User Name", "HTTPMail User Name" or "NNTP User Name"
    bool isDefault = false;      // the default mail account (news: the default news account)
};

struct AccountList {
    std::vector<MailAccount> accounts;  // in the order the file first names their keys
    std::string defaultMail;            // "Default Mail Account": a key name; empty when none
    std::string defaultNews;            // "Default News Account"
};

// Reads the accounts out of `settings`. Key and value names ignore ASCII case, as the registry's
// do; a key or value the file names twice reads as the import leaves it: the later value wins.
// Texts are REG_SZ or REG_EXPAND_SZ data up to the first NUL; a value of another type reads as
// empty. An account key holding no POP3, IMAP, HTTPMail or NNTP server (a directory service) is
// left out. The kind is the first of those four servers it holds, in that order.
AccountList ReadAccounts(const RegText& settings, const LeadBytes& lead);

}  // namespace backupfiles
