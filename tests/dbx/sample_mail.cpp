// Builds the demo store's messages from small pools of people, subjects and sentences, chosen
// by each message's seed so that every run writes the same bytes.
#include "sample_mail.h"

#include <cstdio>
#include <vector>

namespace sample {
namespace {

// Japanese text as ISO-2022-JP (for the message) and code page 932 (for the message info).
struct JText { const char* jis; const char* sjis; };

// 会議のお知らせ / 見積書の件 / 表計算ソフトの資料 (表 and ソ end in 0x5C in code page 932) /
// 来週の予定について / ご注文ありがとうございます
const JText kJSubjects[] = {
    {"\033$B2q5D$N$*CN$i$;\033(B", "\211\357\213c\202\314\202\250\222m\202\347\202\271"},
    {"\033$B8+@Q=q$N7o\033(B", "\214\251\220\317\217\221\202\314\214\217"},
    {"\033$BI=7W;;%=%U%H$N;qNA\033(B", "\225\134\214v\216Z\203\134\203t\203g\202\314\216\221\227\277"},
    {"\033$BMh=5$NM=Dj$K$D$$$F\033(B", "\227\210\217T\202\314\227\134\222\350\202\311\202\302\202\242\202\304"},
    {"\033$B$4CmJ8$\042$j$,$H$&$4$6$$$^$9\033(B",
     "\202\262\222\215\225\266\202\240\202\350\202\252\202\306\202\244\202\262\202\264\202\242\202\334\202\267"},
};
// 鈴木 一郎 / 佐藤 健 / 山田 花子 (the owner)
const JText kJSuzuki = {"\033$BNkLZ\033(B \033$B0lO:\033(B", "\227\351\226\330 \210\352\230Y"};
const JText kJSato = {"\033$B:4F#\033(B \033$B7r\033(B", "\215\262\223\241 \214\222"};
const JText kJYamada = {"\033$B;3ED\033(B \033$B2V;R\033(B", "\216R\223c \211\324\216q"};
// 山田様 / 鈴木様
const char* const kJDearYamada = "\033$B;3EDMM\033(B";
const char* const kJDearSuzuki = "\033$BNkLZMM\033(B";
// いつもお世話になっております。/ 来週の会議は水曜日の午後二時からです。/
// 資料は表計算ソフトで作成しました。/ お見積りをお送りします。ご確認ください。/
// ご注文の品は本日発送いたしました。/ よろしくお願いいたします。
const char* const kJGreeting = "\033$B$$$D$b$*@$OC$K$J$C$F$*$j$^$9!#\033(B";
const char* const kJLines[] = {
    "\033$BMh=5$N2q5D$O?eMKF|$N8a8eFs;~$+$i$G$9!#\033(B",
    "\033$B;qNA$OI=7W;;%=%U%H$G:n@.$7$^$7$?!#\033(B",
    "\033$B$*8+@Q$j$r$*Aw$j$7$^$9!#$43NG'$/$@$5$$!#\033(B",
    "\033$B$4CmJ8$NIJ$OK\134F|H/Aw$$$?$7$^$7$?!#\033(B",
};
const char* const kJClosing = "\033$B$h$m$7$/$*4j$$$$$?$7$^$9!#\033(B";
// お客様一覧表
const char* const kFolderSjis = "\202\250\213q\227l\210\352\227\227\225\134";
const char* const kFolderUtf8 = "\343\201\212\345\256\242\346\247\230\344\270\200\350\246\247\350\241\250";

struct Person { const char* name; const char* address; int zone; const JText* jname; };
const Person kOwner = {"Hanako Yamada", "hanako.yamada@example.co.jp", 540, &kJYamada};
const Person kEnglish[] = {
    {"John Smith", "john.smith@example.com", -300, nullptr},
    {"Maria Garcia", "mgarcia@example.org", 60, nullptr},
    {"David Chen", "dchen@example.net", -480, nullptr},
    {"Sarah O'Brien", "sarah.obrien@example.ie", 0, nullptr},
    {"Project Team", "team@projects.example.com", -300, nullptr},
};
const Person kJapanese[] = {
    {"Ichiro Suzuki", "suzuki@example.co.jp", 540, &kJSuzuki},
    {"Ken Sato", "sato@example.ne.jp", 540, &kJSato},
};

const char* const kSubjects[] = {
    "Meeting notes for Tuesday", "Quarterly budget review", "Lunch on Friday?", "Draft proposal attached",
    "Server maintenance this weekend", "Updated contact list", "Travel plans for the conference",
    "Question about the invoice", "Weekly status report", "New office hours", "Website redesign feedback",
    "Holiday schedule", "Training session next month", "Printer on the third floor", "Minutes of the board meeting",
};
const char* const kSentences[] = {
    "Thanks for sending the figures so quickly.", "I have gone through the document and added a few comments.",
    "Could we move the call to Thursday afternoon?", "The numbers for the second quarter look better than expected.",
    "Please let me know if anything is unclear.", "I will be out of the office until Monday.",
    "The new schedule starts at the beginning of next month.", "We still need a decision on the venue.",
    "Attached you will find the latest version.", "I talked to the supplier and they agreed to the new terms.",
    "Everyone in the team has confirmed their attendance.", "The server will be down for about two hours on Saturday.",
    "Can you check whether the invoice number is correct?", "I think we should keep the original design.",
    "The training room is booked from nine to twelve.", "Let us discuss the remaining points at the next meeting.",
};

// A 32-bit hash: the pseudo-random choices, stable across runs and platforms.
std::uint32_t mix(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    return x ^ (x >> 16);
}

// Base64 of in; with lineLength, CR LF after every lineLength characters (a multiple of 4).
std::string base64(const std::string& in, std::size_t lineLength = 0) {
    static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t column = 0;
    for (std::size_t i = 0; i < in.size(); i += 3) {
        const std::uint32_t n = static_cast<std::uint8_t>(in[i]) << 16 |
                                (i + 1 < in.size() ? static_cast<std::uint8_t>(in[i + 1]) << 8 : 0) |
                                (i + 2 < in.size() ? static_cast<std::uint8_t>(in[i + 2]) : 0);
        out += abc[n >> 18 & 63];
        out += abc[n >> 12 & 63];
        out += i + 1 < in.size() ? abc[n >> 6 & 63] : '=';
        out += i + 2 < in.size() ? abc[n & 63] : '=';
        if (lineLength && (column += 4) >= lineLength) {
            out += "\r\n";
            column = 0;
        }
    }
    return out;
}

// An RFC 2047 encoded-word of ISO-2022-JP text.
std::string encodedWord(const char* jis) { return "=?ISO-2022-JP?B?" + base64(jis) + "?="; }

// Sentences from the pool, wrapped at 72 columns, paragraphs separated by blank lines.
std::string paragraphs(std::uint32_t seed, int count) {
    std::string out;
    for (int p = 0; p < count; ++p) {
        std::string line;
        const int sentences = 2 + static_cast<int>(mix(seed + 17 * p) % 5);
        for (int s = 0; s < sentences; ++s) {
            const std::string sentence = kSentences[mix(seed * 31 + p * 7 + s) % std::size(kSentences)];
            if (!line.empty() && line.size() + 1 + sentence.size() > 72) {
                out += line + "\r\n";
                line.clear();
            }
            line += (line.empty() ? "" : " ") + sentence;
        }
        out += line + "\r\n\r\n";
    }
    return out;
}

// A From/To value: quoted name, or an encoded-word for a Japanese name in a Japanese message.
std::string address(const Person& p, bool japanese) {
    std::string out;
    if (japanese && p.jname) {
        out = encodedWord(p.jname->jis);
    } else {
        out.append(1, '"').append(p.name).append(1, '"');
    }
    return out.append(" <").append(p.address).append(1, '>');
}

// 9000 bytes of binary noise standing in for a spreadsheet.
std::string attachmentData(std::uint32_t seed) {
    std::string data;
    for (std::uint32_t i = 0; i < 9000; ++i) data += static_cast<char>(mix(seed + i) & 0xFF);
    return data;
}

}  // namespace

std::string RfcDate(std::int64_t unixTime, int zoneMinutes) {
    static const char* days[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::int64_t local = unixTime + zoneMinutes * 60;
    std::int64_t day = local / 86400, secs = local % 86400;
    if (secs < 0) secs += 86400, --day;
    const char* weekday = days[((day % 7) + 7) % 7];  // 1970-01-01 was a Thursday
    // Civil date from a day count, by eras of 400 years (146097 days).
    const std::int64_t z = day + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    const int zone = zoneMinutes < 0 ? -zoneMinutes : zoneMinutes;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %d %s %04d %02d:%02d:%02d %c%02d%02d", weekday, d, months[m - 1], y,
                  static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60),
                  zoneMinutes < 0 ? '-' : '+', zone / 60, zone % 60);
    return buf;
}

std::string JapaneseFolderCp932() { return kFolderSjis; }
std::string JapaneseFolderUtf8() { return kFolderUtf8; }

dbxw::Message MakeMail(const MailOptions& o) {
    const std::uint32_t r = mix(o.seed * 2654435761U + 12345);
    const bool japanese = o.kind == Kind::Japanese;
    const Person& other = japanese ? kJapanese[r % std::size(kJapanese)] : kEnglish[r % std::size(kEnglish)];
    const Person& from = o.outgoing ? kOwner : other;
    const Person& to = o.outgoing ? other : kOwner;

    dbxw::Message m;
    m.sent = dbxw::FileTimeFromUnix(o.when);
    const std::int64_t arrived = o.outgoing ? o.when : o.when + 30 + (r >> 8) % 900;
    m.received = dbxw::FileTimeFromUnix(arrived);
    m.flags = (o.read ? dbxw::kFlagRead : 0) | dbxw::kFlagDownloaded | (o.draft ? 0x08 : 0) |
              (o.kind == Kind::Attachment ? dbxw::kFlagAttachment : 0);
    const std::string re = o.reply ? "Re: " : "";
    std::string subjectLine;
    if (japanese) {
        const JText& s = kJSubjects[(r >> 4) % std::size(kJSubjects)];
        m.subject = re + s.sjis;
        subjectLine = re + encodedWord(s.jis);
    } else {
        m.subject = re + kSubjects[(r >> 4) % std::size(kSubjects)];
        if (o.kind == Kind::Long) m.subject = re + "Full report: " + kSubjects[(r >> 4) % std::size(kSubjects)];
        if (o.kind == Kind::Attachment) m.subject = re + "Budget spreadsheet for 2001";
        subjectLine = m.subject;
    }
    char id[96];
    std::snprintf(id, sizeof id, "<%06x01c0%04x$%08x$0%x00a8c0@%s>", mix(o.seed) & 0xFFFFFF, mix(o.seed + 1) & 0xFFFF,
                  mix(o.seed + 2), 1 + o.seed % 9, o.outgoing ? "hanako" : "mail");
    m.messageId = id;
    auto infoName = [&](const Person& p) { return japanese && p.jname ? std::string(p.jname->sjis) : std::string(p.name); };
    m.senderName = infoName(from);
    m.senderAddress = from.address;
    m.receiverName = infoName(to);
    m.receiverAddress = to.address;

    std::string h;
    if (!o.outgoing) {
        h += "Return-Path: <" + std::string(from.address) + ">\r\n";
        h += "Received: from mail.example.net ([192.0.2." + std::to_string(10 + r % 200) +
             "]) by mx.example.co.jp with SMTP; " + RfcDate(arrived, kOwner.zone) + "\r\n";
    }
    h += "From: " + address(from, japanese) + "\r\n";
    h += "To: " + address(to, japanese) + "\r\n";
    h += "Subject: " + subjectLine + "\r\n";
    h += "Date: " + RfcDate(o.when, from.zone) + "\r\n";
    h += "Message-ID: " + m.messageId + "\r\n";
    h += "MIME-Version: 1.0\r\n";

    std::string body;
    if (japanese) {
        h += "Content-Type: text/plain;\r\n\tcharset=\"iso-2022-jp\"\r\nContent-Transfer-Encoding: 7bit\r\n";
        body = std::string(o.outgoing ? kJDearSuzuki : kJDearYamada) + "\r\n\r\n" + kJGreeting + "\r\n";
        for (std::uint32_t i = 0, n = 1 + (r >> 12) % 3; i < n; ++i) body += std::string(kJLines[((r >> 14) + i) % 4]) + "\r\n";
        body += std::string(kJClosing) + "\r\n\r\n" + from.jname->jis + "\r\n";
    } else {
        const std::string text = "Hi " + std::string(to.name).substr(0, std::string(to.name).find(' ')) + ",\r\n\r\n" +
                                 paragraphs(r, o.kind == Kind::Long ? 40 + static_cast<int>(r % 60) : 1 + static_cast<int>(r % 3)) +
                                 "Best regards,\r\n" + std::string(from.name) + "\r\n";
        if (o.kind == Kind::Attachment) {
            const std::string boundary = "----=_NextPart_000_0007_01C0A1B2.3C4D5E60";
            h += "Content-Type: multipart/mixed;\r\n\tboundary=\"" + boundary + "\"\r\n";
            body = "This is a multi-part message in MIME format.\r\n\r\n--" + boundary +
                   "\r\nContent-Type: text/plain;\r\n\tcharset=\"us-ascii\"\r\nContent-Transfer-Encoding: 7bit\r\n\r\n" + text +
                   "\r\n--" + boundary +
                   "\r\nContent-Type: application/vnd.ms-excel;\r\n\tname=\"budget-2001.xls\"\r\n"
                   "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n\tfilename=\"budget-2001.xls\"\r\n\r\n" +
                   base64(attachmentData(r), 76) + "\r\n\r\n--" + boundary + "--\r\n\r\n";
        } else {
            h += "Content-Type: text/plain;\r\n\tcharset=\"us-ascii\"\r\nContent-Transfer-Encoding: 7bit\r\n";
            body = text;
        }
    }
    h += "X-Priority: 3\r\nX-MSMail-Priority: Normal\r\nX-Mailer: Microsoft Outlook Express 5.50.4133.2400\r\n";
    h += "X-MimeOLE: Produced By Microsoft MimeOLE V5.50.4133.2400\r\n";
    m.text = h + "\r\n" + body;
    return m;
}

}  // namespace sample
