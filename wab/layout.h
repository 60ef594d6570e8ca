// Fixed facts of the WAB4 file layout and the MAPI property tags the reader uses. Offsets are
// from the start of the file or of a record; every number is little-endian.
#pragma once

#include <cstdint>

namespace wab::layout {

// File header: the 16-byte signature, two counts whose meaning is unsure (unused here), then six
// table descriptors of {type, a size whose meaning the descriptions disagree on, offset, count}.
inline constexpr std::uint8_t kMagic[16] = {0x9C, 0xCB, 0xCB, 0x8D, 0x13, 0x75, 0xD2, 0x11,
                                            0x91, 0x58, 0x00, 0xC0, 0x4F, 0x79, 0x56, 0xA4};
// The first eight bytes of the signature of the address book's older layout, which file
// signature lists name beside this one.
inline constexpr std::uint8_t kOldMagic[8] = {0x81, 0x32, 0x84, 0xC1, 0x85, 0x05, 0xD0, 0x11};
inline constexpr std::uint32_t kDescriptors = 0x18;
inline constexpr int kDescriptorCount = 6;
inline constexpr std::uint32_t kDescriptorSize = 16;
inline constexpr std::uint32_t kDescType = 0, kDescOffset = 8, kDescCount = 12;
inline constexpr std::uint32_t kHeaderSize = kDescriptors + kDescriptorCount * kDescriptorSize;
inline constexpr std::uint32_t kIndexTableType = 0xFA0;

// Record index entries: record id, then the offset of the record.
inline constexpr std::uint32_t kIndexEntrySize = 8;

// Record header: eight words. Only these are used; the others (a constant 1, the 0x20 that is
// probably where the tag list starts, two equal words) have no agreed meaning.
inline constexpr std::uint32_t kRecordHeaderSize = 32;
inline constexpr std::uint32_t kRecValid = 0;       // 0 once the record is deleted
inline constexpr std::uint32_t kRecId = 8;
inline constexpr std::uint32_t kRecPropCount = 12;  // entries in the tag list (4 bytes each)
inline constexpr std::uint32_t kRecDataSize = 28;   // bytes of property data after the tag list

// Property types (the low word of a tag).
inline constexpr std::uint16_t kPtLong = 0x0003, kPtString8 = 0x001E, kPtUnicode = 0x001F,
                               kPtSystime = 0x0040, kPtBinary = 0x0102, kMvFlag = 0x1000;

// Property ids (the high word of a tag).
inline constexpr std::uint16_t kObjectType = 0x0FFE, kDisplayName = 0x3001, kEmailAddress = 0x3003,
                               kComment = 0x3004, kGivenName = 0x3A06, kBusinessPhone = 0x3A08,
                               kHomePhone = 0x3A09, kSurname = 0x3A11, kCompany = 0x3A16,
                               kTitle = 0x3A17, kDepartment = 0x3A18, kBusiness2Phone = 0x3A1B,
                               kMobilePhone = 0x3A1C, kCarPhone = 0x3A1E, kOtherPhone = 0x3A1F,
                               kPager = 0x3A21, kPrimaryFax = 0x3A23, kBusinessFax = 0x3A24,
                               kHomeFax = 0x3A25, kWorkCountry = 0x3A26, kWorkCity = 0x3A27,
                               kWorkRegion = 0x3A28, kWorkStreet = 0x3A29, kWorkPostalCode = 0x3A2A,
                               kHome2Phone = 0x3A2F, kMiddleName = 0x3A44, kNickname = 0x3A4F,
                               kPersonalHomePage = 0x3A50, kBusinessHomePage = 0x3A51,
                               kDefaultAddressIndex = 0x3A55, kContactEmails = 0x3A56,
                               kHomeCity = 0x3A59, kHomeCountry = 0x3A5A, kHomePostalCode = 0x3A5B,
                               kHomeRegion = 0x3A5C, kHomeStreet = 0x3A5D;
// Ids from here up are the address book's own (a group's member lists among them).
inline constexpr std::uint16_t kFirstPrivateId = 0x8000;

inline constexpr std::uint32_t kMailUser = 6, kDistList = 8;  // PR_OBJECT_TYPE values

}  // namespace wab::layout
