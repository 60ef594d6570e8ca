// Native file streams for the benchmark tools (the library itself does no file I/O).
#pragma once

#include <cstdio>
#include <string>
#include <sys/types.h>
#include <unistd.h>

#include "lha/stream.h"

namespace bench {

class FileInput final : public lha::InputStream {
public:
    explicit FileInput(const std::string& path) : f_(std::fopen(path.c_str(), "rb")) {}
    ~FileInput() override { if (f_) std::fclose(f_); }
    bool ok() const { return f_ != nullptr; }
    std::size_t read(std::uint8_t* buffer, std::size_t size) override {
        std::size_t n = std::fread(buffer, 1, size, f_);
        if (n == 0 && std::ferror(f_)) failed_ = true;
        return n;
    }
    bool failed() const override { return failed_; }

private:
    std::FILE* f_;
    bool failed_ = false;
};

class FileOutput final : public lha::SeekableOutput {
public:
    explicit FileOutput(const std::string& path) : f_(std::fopen(path.c_str(), "w+b")) {
        if (f_) std::setvbuf(f_, nullptr, _IOFBF, 1 << 20);
    }
    ~FileOutput() override { if (f_) std::fclose(f_); }
    bool ok() const { return f_ != nullptr; }
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (std::fwrite(data, 1, size, f_) != size) return false;
        pos_ += size;
        return true;
    }
    std::uint64_t position() const override { return pos_; }
    bool seek(std::uint64_t offset) override {
        if (fseeko(f_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
        pos_ = offset;
        return true;
    }
    bool truncate() override { return std::fflush(f_) == 0 && ftruncate(fileno(f_), static_cast<off_t>(pos_)) == 0; }
    bool close() { bool r = std::fclose(f_) == 0; f_ = nullptr; return r; }

private:
    std::FILE* f_;
    std::uint64_t pos_ = 0;
};

}  // namespace bench
