#include "mailout/store.h"

#include "lha/reader.h"
#include "lha/threads.h"
#include "mailout/fs.h"

#include <mutex>

namespace mailout {

namespace {

// A decoded member held in memory.
class MemoryMember final : public dbx::Source, public lha::OutputStream {
public:
    explicit MemoryMember(std::uint64_t expected) { bytes_.reserve(static_cast<std::size_t>(expected)); }
    bool write(const std::uint8_t* data, std::size_t n) override {
        bytes_.insert(bytes_.end(), data, data + n);
        return true;
    }
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override {
        return dbx::MemorySource(bytes_.data(), bytes_.size()).readAt(offset, buffer, n);
    }

private:
    std::vector<std::uint8_t> bytes_;
};

// Refuses further bytes once `halt` turns true, which ends an extraction early.
class Guarded final : public lha::OutputStream {
public:
    Guarded(lha::OutputStream& inner, const std::atomic<bool>* halt) : inner_(inner), halt_(halt) {}
    bool write(const std::uint8_t* data, std::size_t n) override { return !(halt_ && *halt_) && inner_.write(data, n); }

private:
    lha::OutputStream& inner_;
    const std::atomic<bool>* halt_;
};

// ---- a folder on disk ----

class FolderStore final : public Store {
public:
    explicit FolderStore(std::string dir) : dir_(std::move(dir)) {}
    bool scan(std::string& why) {
        std::vector<std::string> pending{""};
        while (!pending.empty()) {
            const std::string rel = pending.back();
            pending.pop_back();
            std::vector<fs::Entry> list;
            if (!fs::ListDir(rel.empty() ? dir_ : fs::Join(dir_, Native(rel)), list)) {
                if (rel.empty()) {
                    why = "cannot read the folder";
                    return false;
                }
                continue;
            }
            for (const fs::Entry& e : list) {
                const std::string name = rel.empty() ? e.name : rel + "/" + e.name;
                if (e.directory) {
                    if (depth(name) < 8) pending.push_back(name);  // a store holds no deep trees
                } else {
                    entries_.push_back({name, false, e.size});
                }
            }
        }
        return true;
    }
    Opened open(std::size_t entry) override {
        Opened o;
        auto file = std::make_unique<fs::InFile>();
        if (!file->open(fs::Join(dir_, Native(entries_[entry].name))))
            o.problem = "cannot be opened";
        else
            o.source = std::move(file);
        return o;
    }

private:
    static std::size_t depth(const std::string& rel) {
        std::size_t n = 0;
        for (char c : rel) n += c == '/';
        return n;
    }
    static std::string Native(std::string rel) {
        for (char& c : rel)
            if (c == '/') c = fs::Separator();
        return rel;
    }
    std::string dir_;
};

// ---- one file ----

class FileStore final : public Store {
public:
    explicit FileStore(std::string path) : path_(std::move(path)) {}
    bool init(std::string& why) {
        fs::InFile f;
        if (!f.open(path_)) {
            why = "cannot be opened";
            return false;
        }
        entries_.push_back({fs::BaseName(path_), false, f.size()});
        return true;
    }
    Opened open(std::size_t) override {
        Opened o;
        auto file = std::make_unique<fs::InFile>();
        if (!file->open(path_))
            o.problem = "cannot be opened";
        else
            o.source = std::move(file);
        return o;
    }

private:
    std::string path_;
};

// ---- an archive ----

class ArchiveStore final : public Store {
public:
    bool init(const std::string& path, std::string& why) {
        if (!file_.open(path)) {
            why = "cannot be opened";
            return false;
        }
        fs::InStream in(file_);
        lha::ArchiveReader reader(in);
        for (;;) {
            lha::MemberInfo info;
            const lha::Error e = reader.next(info);
            if (e != lha::Error::Ok) {
                if (entries_.empty()) {
                    why = std::string("not a readable LHA archive (") + lha::errorText(e) + ")";
                    return false;
                }
                problems_.push_back(std::string("the archive is damaged after its member ") + entries_.back().name + " (" +
                                    lha::errorText(e) + ")");
                break;
            }
            if (reader.atEnd()) break;
            if (info.isDirectory()) continue;
            entries_.push_back({info.path, true, info.originalSize});
            headers_.push_back(reader.headerOffset());
        }
        return true;
    }
    Opened open(std::size_t entry) override { return decode(entry, nullptr); }

    void forEach(const std::vector<std::size_t>& wanted, const std::function<bool(std::size_t, Opened&)>& each,
                 const std::atomic<bool>* cancel) override {
        // One member is decoded ahead on a second thread while the caller reads the last one.
        lha::Mutex m;
        lha::CondVar cv;
        bool ready = false, taken = true, stop = false;
        Opened slot;
        std::size_t slotIndex = 0;
        std::atomic<bool> halt{false};
        std::unique_ptr<lha::Thread> decoder;
        try {
            decoder = std::make_unique<lha::Thread>([&] {
            for (std::size_t i : wanted) {
                {
                    std::unique_lock<lha::Mutex> lock(m);
                    cv.wait(m, [&] { return taken || stop; });
                    if (stop) return;
                }
                Opened o = decode(i, &halt);
                std::unique_lock<lha::Mutex> lock(m);
                slot = std::move(o);
                slotIndex = i;
                ready = true;
                taken = false;
                cv.notifyAll();
            }
            });
        } catch (...) {
            // No second thread to be had: one member after the other.
            for (std::size_t i : wanted) {
                if (cancel && *cancel) return;
                Opened o = decode(i, cancel);
                if (!each(i, o)) return;
            }
            return;
        }
        for (std::size_t n = 0; n < wanted.size(); ++n) {
            Opened o;
            std::size_t index = 0;
            {
                std::unique_lock<lha::Mutex> lock(m);
                cv.wait(m, [&] { return ready; });
                o = std::move(slot);
                index = slotIndex;
                ready = false;
                taken = true;
                cv.notifyAll();
            }
            const bool go = !(cancel && *cancel) && each(index, o);
            if (!go) {
                halt = true;
                break;
            }
        }
        {
            std::unique_lock<lha::Mutex> lock(m);
            stop = true;
            cv.notifyAll();
        }
        decoder->join();
    }

private:
    Opened decode(std::size_t entry, const std::atomic<bool>* halt) {
        Opened o;
        fs::InStream in(file_, headers_[entry]);
        lha::ArchiveReader reader(in);
        lha::MemberInfo info;
        if (reader.next(info) != lha::Error::Ok || reader.atEnd()) {
            o.problem = "its header cannot be read again";
            return o;
        }
        const std::uint64_t size = entries_[entry].size;
        lha::Error e = lha::Error::Ok;
        if (size <= kInMemoryMember) {
            auto mem = std::make_unique<MemoryMember>(size);
            Guarded out(*mem, halt);
            e = reader.extract(out);
            o.source = std::move(mem);
        } else {
            auto scratch = std::make_unique<fs::ScratchFile>();
            if (!scratch->create()) {
                o.problem = "no scratch file can be made for it in the temporary folder";
                return o;
            }
            Guarded out(*scratch, halt);
            e = reader.extract(out);
            if (!scratch->seal() && e == lha::Error::Ok) e = lha::Error::WriteFailed;
            o.source = std::move(scratch);
        }
        if (halt && *halt) {
            o.source.reset();
            o.problem = "stopped";
            return o;
        }
        if (e != lha::Error::Ok) {
            o.problem = std::string("does not unpack whole (") + lha::errorText(e) + ")";
            if (o.source && o.source->size() == 0) o.source.reset();
        }
        return o;
    }
    fs::InFile file_;
    std::vector<std::uint64_t> headers_;
};

}  // namespace

void Store::forEach(const std::vector<std::size_t>& wanted, const std::function<bool(std::size_t, Opened&)>& each,
                    const std::atomic<bool>* cancel) {
    for (std::size_t i : wanted) {
        if (cancel && *cancel) return;
        Opened o = open(i);
        if (!each(i, o)) return;
    }
}

std::unique_ptr<Store> OpenFolderStore(const std::string& dir, std::string& why) {
    auto s = std::make_unique<FolderStore>(dir);
    if (!s->scan(why)) return nullptr;
    return s;
}

std::unique_ptr<Store> OpenArchiveStore(const std::string& archive, std::string& why) {
    auto s = std::make_unique<ArchiveStore>();
    if (!s->init(archive, why)) return nullptr;
    return s;
}

std::unique_ptr<Store> OpenFileStore(const std::string& file, std::string& why) {
    auto s = std::make_unique<FileStore>(file);
    if (!s->init(why)) return nullptr;
    return s;
}

}  // namespace mailout
