// A small writer of Windows Address Book files in the WAB4 layout of Outlook Express 5 and 6,
// written from the public descriptions of the layout and apart from the reader, so that tests
// judge the reader against the layout: header with six table descriptors, a record index of
// (record id, offset) pairs, four name tables, and records of a 32-byte header, a tag list and
// a heap of properties (tag, length, bytes; multi-valued: tag, count, size, then each value's
// length and bytes).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace wabw {

using Bytes = std::vector<std::uint8_t>;

// Property types and the tags the tests use.
constexpr std::uint16_t kLong = 0x0003, kString8 = 0x001E, kUnicode = 0x001F, kSystime = 0x0040,
                        kBinary = 0x0102, kMv = 0x1000;
constexpr std::uint16_t kObjectType = 0x0FFE, kEntryId = 0x0FFF, kDisplayName = 0x3001,
                        kAddrType = 0x3002, kEmail = 0x3003, kComment = 0x3004, kGiven = 0x3A06,
                        kWorkPhone = 0x3A08, kHomePhone = 0x3A09, kSurname = 0x3A11,
                        kCompany = 0x3A16, kTitle = 0x3A17, kDepartment = 0x3A18, kMobile = 0x3A1C,
                        kPager = 0x3A21, kWorkFax = 0x3A24, kHomeFax = 0x3A25, kWorkCountry = 0x3A26,
                        kWorkCity = 0x3A27, kWorkRegion = 0x3A28, kWorkStreet = 0x3A29,
                        kWorkPostal = 0x3A2A, kBirthday = 0x3A42, kMiddle = 0x3A44,
                        kNickname = 0x3A4F, kHomePage = 0x3A50, kWorkPage = 0x3A51,
                        kAddrTypes = 0x3A54, kDefaultIndex = 0x3A55, kEmails = 0x3A56,
                        kHomeCity = 0x3A59, kHomeCountry = 0x3A5A, kHomePostal = 0x3A5B,
                        kHomeRegion = 0x3A5C, kHomeStreet = 0x3A5D, kDlEntries = 0x8006,
                        kDlOneOffs = 0x8054;

struct Prop {
    std::uint32_t tag = 0;
    Bytes value;               // single-valued
    std::vector<Bytes> values; // multi-valued (tag has kMv)
};

Prop Unicode(std::uint16_t id, const std::string& utf8);    // PT_UNICODE, UTF-16LE with a NUL
Prop Ansi(std::uint16_t id, const std::string& bytes);      // PT_STRING8 as given, with a NUL
Prop Long(std::uint16_t id, std::uint32_t v);
Prop Binary(std::uint16_t id, const Bytes& b);
Prop Systime(std::uint16_t id, std::uint64_t filetime);
Prop MvUnicode(std::uint16_t id, const std::vector<std::string>& utf8);
Prop MvAnsi(std::uint16_t id, const std::vector<std::string>& bytes);
Prop MvBinary(std::uint16_t id, const std::vector<Bytes>& values);

// The entry id the book gives its own records (the record id), and a one-off entry id.
Bytes RecordEntryId(std::uint32_t recordId);
Bytes OneOff(const std::string& name, const std::string& type, const std::string& address, bool unicode);

struct Record {
    std::uint32_t id = 0;
    std::vector<Prop> props;   // written in this order
    bool deleted = false;      // header's first word 0 (as the address book leaves a deleted one)
    bool indexed = true;       // listed in the record index
    std::string name;          // UTF-8 for the display-name table (empty: none)
};

struct Book {
    std::vector<Record> records;
    int indexSlot = 0;         // which of the six descriptors holds the record index
    std::uint32_t spareSlots = 3;  // unused index entries after the used ones (zeros)
};

struct Image {
    Bytes bytes;
    std::map<std::uint32_t, std::uint64_t> recordAt;  // record id -> offset of its header
    std::uint64_t indexAt = 0;                        // first index entry
    void put32(std::uint64_t at, std::uint32_t v);
    bool writeTo(const std::string& path) const;
};

Image Write(const Book& book);

// UTF-16LE bytes of a UTF-8 string, for tests that build values.
Bytes Utf16(const std::string& utf8);

}  // namespace wabw
