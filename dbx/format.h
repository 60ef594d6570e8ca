// Layout constants of the Outlook Express 5 store files (Folders.dbx and one message file per
// folder), as the public description of the format gives them. Every object in the body of a
// file begins with its own file offset (its marker), which is what tells a real object from
// stale bytes.
#pragma once

#include <cstdint>

namespace dbx::layout {

// File header: magic, then the class id that tells the kind of file.
inline constexpr std::uint32_t kHeaderSize = 0x24BC;
inline constexpr std::uint32_t kMagic = 0xFE12ADCF;
inline constexpr std::uint32_t kClassMessages = 0x6F74FDC5;
inline constexpr std::uint32_t kClassFolders = 0x6F74FDC6;
inline constexpr std::uint32_t kClassPop3Uidl = 0x6F74FDC7;
inline constexpr std::uint32_t kClassOffline = 0x26FE9D30;

inline constexpr std::uint32_t kFileInfoLengthAt = 0x1C;
inline constexpr std::uint32_t kDeletedMessagesAt = 0x48;  // first freed message block
inline constexpr std::uint32_t kTreeCountAt = 0xC4;        // values in tree 0, 1, 2 (int4 each)
inline constexpr std::uint32_t kTreeRootAt = 0xE4;         // root node of tree 0, 1, 2
inline constexpr int kTrees = 3;                            // message files use the first two

// Message file info, right after the header: the folder's name when the file was made.
inline constexpr std::uint32_t kInfoFolderNameAt = 0x105;
inline constexpr std::uint32_t kInfoFolderNameMax = 0x100;

// Tree node: 0x18-byte header, then up to 0x33 entries of (value, child, values below child).
inline constexpr std::uint32_t kNodeSize = 0x27C;
inline constexpr std::uint32_t kNodeHeaderSize = 0x18;
inline constexpr std::uint32_t kNodeEntrySize = 12;
inline constexpr std::uint32_t kNodeMaxEntries = 0x33;
inline constexpr std::uint32_t kNodeChildAt = 0x08;
inline constexpr std::uint32_t kNodeParentAt = 0x0C;
inline constexpr std::uint32_t kNodeEntriesAt = 0x11;  // one byte
inline constexpr int kMaxTreeDepth = 64;                // far beyond any real tree

// Indexed info (message info, folder info): marker, body length, int2, entry count, changes;
// then 4-byte index entries (index in bits 0-6, bit 7 "value stored here", 3-byte value or
// offset into the data that follows them).
inline constexpr std::uint32_t kInfoHeaderSize = 0x0C;
inline constexpr std::uint32_t kInfoEntriesAt = 0x0A;  // one byte
inline constexpr std::uint32_t kInfoMaxBody = 0x10000; // variable segments are 0xC000 long

// Message block: marker, body length, text length in this block, next block; then the text.
inline constexpr std::uint32_t kBlockHeaderSize = 0x10;
inline constexpr std::uint32_t kBlockBody = 0x200;
inline constexpr std::uint32_t kBlockMaxBody = 0x10000;

// A freed object's new header: marker, free length, object length (free + 0x14), a word left as
// it was (a message block's old next pointer), next freed object. The first four text bytes are
// gone under the last field.
inline constexpr std::uint32_t kFreedHeaderSize = 0x14;
inline constexpr std::uint32_t kFreedOldNextAt = 0x0C;

// Message info indexes.
inline constexpr int kMsgIndex = 0x00;
inline constexpr int kMsgFlags = 0x01;
inline constexpr int kMsgSent = 0x02;
inline constexpr int kMsgFirstBlock = 0x04;
inline constexpr int kMsgMessageId = 0x07;
inline constexpr int kMsgSubject = 0x08;
inline constexpr int kMsgSenderAddress = 0x0E;
inline constexpr int kMsgLength = 0x11;
inline constexpr int kMsgReceived = 0x12;

// Folder info indexes.
inline constexpr int kFolderId = 0x00;
inline constexpr int kFolderParent = 0x01;
inline constexpr int kFolderName = 0x02;
inline constexpr int kFolderFile = 0x03;
inline constexpr int kFolderAccountKey = 0x05;
inline constexpr int kFolderMessages = 0x07;
inline constexpr int kFolderSpecial = 0x09;
inline constexpr int kFolderAccountType = 0x0A;
inline constexpr std::uint32_t kNoParent = 0xFFFFFFFF;

}  // namespace dbx::layout
