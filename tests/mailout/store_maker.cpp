#include "store_maker.h"

#include "lha/writer.h"
#include "mailtext/codepage.h"
#include "mailtext/utf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace storemaker {

namespace fsys = std::filesystem;

dbxw::Message Mail(const std::string& folder, int i, std::size_t bodyLines) {
    dbxw::Message m;
    const std::int64_t when = 978307200 + 86400LL * i + 3600 * (i % 24);  // from 2001-01-01
    const std::int64_t local = when + 9 * 3600;
    char date[64];
    const std::time_t t = static_cast<std::time_t>(local);
    std::tm tm = *std::gmtime(&t);
    std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S +0900", &tm);
    m.text = "From: \"Sender " + std::to_string(i) + "\" <s" + std::to_string(i) + "@example.org>\r\nTo: taro@example.jp\r\n" +
             "Subject: " + folder + " mail " + std::to_string(i) + "\r\nDate: " + date + "\r\n\r\n";
    for (std::size_t n = 0; n < bodyLines; ++n) m.text += "Line " + std::to_string(n) + " of mail " + std::to_string(i) + ".\r\n";
    m.sent = dbxw::FileTimeFromUnix(when);
    m.received = m.sent;
    return m;
}

namespace {

std::string Utf8Name(const std::string& bytes, unsigned codePage) { return mailtext::ToUtf8(bytes, codePage); }

void Save(const std::string& path, const dbxw::Image& image) { ASSERT_TRUE(image.writeTo(path)) << path; }

// Code-page bytes of a UTF-8 name, by trying each byte pair the code page has (test names are short).
std::string Encode(const std::string& utf8, unsigned codePage) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const mailtext::Utf8Char c = mailtext::ReadUtf8(utf8, i);
        std::string want = utf8.substr(i, c.length);
        i += c.length;
        if (c.value < 0x80) {
            out += want;
            continue;
        }
        bool found = false;
        for (unsigned b = 0x80; b < 0x100 && !found; ++b) {
            const std::string one(1, static_cast<char>(b));
            if (mailtext::ToUtf8(one, codePage) == want) out += one, found = true;
            for (unsigned t = 0x40; t < 0x100 && !found && mailtext::IsLeadByte(codePage, static_cast<unsigned char>(b)); ++t) {
                const std::string two{static_cast<char>(b), static_cast<char>(t)};
                if (mailtext::ToUtf8(two, codePage) == want) out += two, found = true;
            }
        }
        EXPECT_TRUE(found) << utf8;
    }
    return out;
}

}  // namespace

void WriteStore(const std::string& dir, const std::vector<TestFolder>& folders, unsigned codePage) {
    fsys::create_directories(dir);
    std::vector<dbxw::Folder> list;
    dbxw::Folder root, local;
    root.id = 0;
    root.parent = 0xFFFFFFFF;
    root.name = "Outlook Express";
    local.id = 1;
    local.parent = 0;
    local.name = "Local Folders";
    list.push_back(root);
    list.push_back(local);
    for (const TestFolder& f : folders) {
        dbxw::Folder d;
        d.id = f.id;
        d.parent = f.parent;
        d.name = f.name;
        d.file = f.file;
        d.special = f.special;
        d.messages = static_cast<std::uint32_t>(f.messages.size());
        list.push_back(d);
        if (f.file.empty()) continue;
        dbxw::MessageFile mf;
        mf.folderName = f.initialName.empty() ? f.name : f.initialName;
        mf.messages = f.messages;
        mf.fanout = 3;
        Save(dir + "/" + Utf8Name(f.file, codePage), dbxw::WriteMessageFile(mf));
    }
    Save(dir + "/Folders.dbx", dbxw::WriteFoldersFile(list));
    Save(dir + "/Pop3uidl.dbx", dbxw::WritePop3uidlFile());
}

void WriteArchive(const std::string& dir, const std::string& archive, unsigned codePage) {
    lha::MemoryOutput out;
    {
        lha::WriterOptions options;
        options.threads = 1;
        lha::ArchiveWriter writer(out, options);
        for (const auto& [name, bytes] : Files(dir)) {
            lha::MemberInfo info;
            info.path = Encode(name, codePage);
            auto data = std::make_shared<std::string>(bytes);
            ASSERT_EQ(lha::Error::Ok, writer.addFile(info, [data] {
                return std::make_unique<lha::MemoryInput>(reinterpret_cast<const std::uint8_t*>(data->data()), data->size());
            }));
        }
        ASSERT_EQ(lha::Error::Ok, writer.finish());
    }
    std::ofstream(archive, std::ios::binary).write(reinterpret_cast<const char*>(out.bytes().data()),
                                                   static_cast<std::streamsize>(out.bytes().size()));
}

void WriteBackup(const std::string& storeDir, const std::string& backupDir) {
    fsys::create_directories(backupDir);
    WriteArchive(storeDir, backupDir + "/OL.lzh");
    std::ofstream(backupDir + "/OLdate.bkd", std::ios::binary)
        << "////OutLook Backup////\r\n[main]\r\ndate=12/7/2026\r\ninstall={0A}\r\n"
           "storroot=%UserProfile%\\Local Settings\\Application Data\\Identities\\{0A}\\Microsoft\\Outlook Express\r\n"
           "UserID={0A}\r\nUserName=Main Identity\r\nAddressbook=0\r\n";
    std::ofstream(backupDir + "/OLbk1.reg", std::ios::binary)
        << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001]\r\n"
           "\"Account Name\"=\"mail.example.jp\"\r\n\"POP3 Server\"=\"pop.example.jp\"\r\n\"SMTP Server\"=\"smtp.example.jp\"\r\n"
           "\"POP3 User Name\"=\"taro\"\r\n\"POP3 Password2\"=hex:01,02\r\n\"SMTP Email Address\"=\"taro@example.jp\"\r\n\r\n";
}

std::map<std::string, std::string> Files(const std::string& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : fsys::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        out[fsys::relative(e.path(), dir).generic_string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return out;
}

std::string FreshDir(const std::string& name) {
    const fsys::path p = fsys::path(::testing::TempDir()) / ("qbmail-" + name);
    fsys::remove_all(p);
    fsys::create_directories(p);
    return p.string();
}

}  // namespace storemaker
