// Shared reader-test helpers.
#include "reader_support.h"

#include "lha/crc16.h"
#include "lha/reader.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <unistd.h>

namespace readertest {

std::string fixturePath(const std::string& name) { return std::string(QB_READER_FIXTURES) + "/" + name; }

Bytes readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

Bytes fixture(const std::string& name) { return readFile(fixturePath(name)); }

namespace {
std::string unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}
}  // namespace

std::vector<ManifestRow> manifest() {
    std::vector<ManifestRow> rows;
    std::ifstream f(fixturePath("manifest.txt"));
    std::string line;
    while (std::getline(f, line)) {
        if (line.empty()) continue;
        std::istringstream in(line);
        ManifestRow r;
        std::string path, crc;
        in >> r.archive >> path >> r.method >> r.size >> crc >> r.content;
        r.path = unescape(path);
        r.crc = static_cast<std::uint16_t>(std::stoul(crc, nullptr, 16));
        rows.push_back(r);
    }
    return rows;
}

std::vector<std::string> manifestArchives() {
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const ManifestRow& r : manifest())
        if (seen.insert(r.archive).second) names.push_back(r.archive);
    return names;
}

ReadArchive readAll(const Bytes& archive) {
    ReadArchive result;
    lha::MemoryInput in(archive.data(), archive.size());
    lha::ArchiveReader reader(in);
    for (;;) {
        ReadMember m;
        result.error = reader.next(m.info);
        if (result.error != lha::Error::Ok || reader.atEnd()) break;
        VectorOutput out;
        m.extract = reader.extract(out);
        m.data = std::move(out.bytes);
        result.members.push_back(std::move(m));
    }
    return result;
}

std::string runCommand(const std::string& command, bool* ok) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        if (ok) *ok = false;
        return out;
    }
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int status = pclose(p);
    if (ok) *ok = status == 0;
    return out;
}

bool haveTool(const std::string& name) {
    bool ok = false;
    runCommand("command -v " + name + " >/dev/null 2>&1", &ok);
    return ok;
}

std::string writeTemp(const Bytes& data, const std::string& suffix) {
    std::string path = "/tmp/qb_reader_XXXXXX" + suffix;
    int fd = mkstemps(path.data(), static_cast<int>(suffix.size()));
    if (fd < 0) return {};
    const ssize_t written = write(fd, data.data(), data.size());
    close(fd);
    return written == static_cast<ssize_t>(data.size()) ? path : std::string{};
}

void BitPacker::put(std::uint32_t value, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) {
        acc_ = acc_ << 1 | ((value >> i) & 1);
        if (++n_ == 8) {
            out_.push_back(static_cast<std::uint8_t>(acc_));
            acc_ = n_ = 0;
        }
    }
}

Bytes BitPacker::finish() {
    if (n_) out_.push_back(static_cast<std::uint8_t>(acc_ << (8 - n_)));
    acc_ = n_ = 0;
    return out_;
}

void put8(Bytes& b, unsigned v) { b.push_back(static_cast<std::uint8_t>(v)); }
void put16(Bytes& b, unsigned v) {
    put8(b, v & 0xFF);
    put8(b, (v >> 8) & 0xFF);
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void put64(Bytes& b, std::uint64_t v) {
    put32(b, static_cast<std::uint32_t>(v));
    put32(b, static_cast<std::uint32_t>(v >> 32));
}
void putText(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

namespace {
constexpr std::uint32_t kDosTime = 0x5A8B6C21;

void finishLevel01(Bytes& h) {
    h[0] = static_cast<std::uint8_t>(h.size() - 2);
    unsigned sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i) sum += h[i];
    h[1] = static_cast<std::uint8_t>(sum);
}
}  // namespace

Bytes level0(const std::string& method, const std::string& name, const Bytes& data, std::uint32_t original,
             std::uint16_t crc) {
    Bytes h{0, 0};
    putText(h, method);
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, original);
    put32(h, kDosTime);
    put8(h, 0x20);
    put8(h, 0);
    put8(h, static_cast<unsigned>(name.size()));
    putText(h, name);
    put16(h, crc);
    finishLevel01(h);
    h.insert(h.end(), data.begin(), data.end());
    return h;
}

Bytes level1(const std::string& method, const std::string& name, const Bytes& data, std::uint32_t original,
             std::uint16_t crc, const std::vector<Ext>& exts) {
    Bytes chain;
    for (std::size_t i = 0; i < exts.size(); ++i) {
        put8(chain, exts[i].type);
        chain.insert(chain.end(), exts[i].body.begin(), exts[i].body.end());
        put16(chain, i + 1 < exts.size() ? static_cast<unsigned>(exts[i + 1].body.size() + 3) : 0);
    }
    Bytes h{0, 0};
    putText(h, method);
    put32(h, static_cast<std::uint32_t>(data.size() + chain.size()));
    put32(h, original);
    put32(h, kDosTime);
    put8(h, 0x20);
    put8(h, 1);
    put8(h, static_cast<unsigned>(name.size()));
    putText(h, name);
    put16(h, crc);
    put8(h, 'M');
    put16(h, exts.empty() ? 0 : static_cast<unsigned>(exts[0].body.size() + 3));
    finishLevel01(h);
    h.insert(h.end(), chain.begin(), chain.end());
    h.insert(h.end(), data.begin(), data.end());
    return h;
}

Bytes level2(const std::string& method, const Bytes& data, std::uint32_t original, std::uint16_t crc,
             const std::vector<Ext>& extsIn, bool withCrc) {
    std::vector<Ext> exts;
    if (withCrc) exts.push_back({0x00, {0, 0}});
    exts.insert(exts.end(), extsIn.begin(), extsIn.end());
    Bytes h{0, 0};
    putText(h, method);
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, original);
    put32(h, 1700000000);
    put8(h, 0x20);
    put8(h, 2);
    put16(h, crc);
    put8(h, 'U');
    put16(h, exts.empty() ? 0 : static_cast<unsigned>(exts[0].body.size() + 3));
    std::size_t crcAt = 0;
    for (std::size_t i = 0; i < exts.size(); ++i) {
        put8(h, exts[i].type);
        if (withCrc && i == 0) crcAt = h.size();
        h.insert(h.end(), exts[i].body.begin(), exts[i].body.end());
        put16(h, i + 1 < exts.size() ? static_cast<unsigned>(exts[i + 1].body.size() + 3) : 0);
    }
    if ((h.size() & 0xFF) == 0) put8(h, 0);  // a low size byte of 0 would read as the end
    h[0] = static_cast<std::uint8_t>(h.size() & 0xFF);
    h[1] = static_cast<std::uint8_t>(h.size() >> 8);
    if (withCrc) {
        const std::uint16_t c = lha::crc16(0, h.data(), h.size());
        h[crcAt] = static_cast<std::uint8_t>(c & 0xFF);
        h[crcAt + 1] = static_cast<std::uint8_t>(c >> 8);
    }
    h.insert(h.end(), data.begin(), data.end());
    return h;
}

Bytes withEnd(Bytes archive) {
    archive.push_back(0);
    return archive;
}

}  // namespace readertest
