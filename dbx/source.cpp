#include "dbx/source.h"

#include <cstring>

namespace dbx {

bool MemorySource::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (offset > size_ || n > size_ - offset) return false;
    if (n) std::memcpy(buffer, data_ + offset, n);
    return true;
}

CachedSource::CachedSource(Source& inner, std::size_t pageSize, std::size_t pages)
    : inner_(inner), size_(inner.size()), pageSize_(pageSize ? pageSize : 4096), pages_(pages ? pages : 1) {}

CachedSource::Page* CachedSource::load(std::uint64_t index) {
    if (last_ && last_->index == index) {
        last_->used = ++clock_;
        return last_;
    }
    Page* victim = &pages_[0];
    for (Page& p : pages_) {
        if (p.index == index) {
            p.used = ++clock_;
            return last_ = &p;
        }
        if (p.used < victim->used) victim = &p;
    }
    const std::uint64_t start = index * pageSize_;
    if (start >= size_) return nullptr;
    const std::size_t length = static_cast<std::size_t>(size_ - start < pageSize_ ? size_ - start : pageSize_);
    victim->bytes.resize(pageSize_);
    victim->index = ~std::uint64_t{0};
    if (!inner_.readAt(start, victim->bytes.data(), length)) return nullptr;
    victim->index = index;
    victim->length = length;
    victim->used = ++clock_;
    return last_ = victim;
}

bool CachedSource::charge(std::size_t n) {
    if (n > budget_) {
        budget_ = 0;
        exhausted_ = true;
        return false;
    }
    budget_ -= n;
    return true;
}

const std::uint8_t* CachedSource::peek(std::uint64_t offset, std::size_t n) {
    if (offset > size_ || n > size_ - offset || !charge(n)) return nullptr;
    const std::uint64_t index = offset / pageSize_;
    const std::size_t within = static_cast<std::size_t>(offset % pageSize_);
    if (within + n > pageSize_) return nullptr;
    Page* p = load(index);
    if (!p || within + n > p->length) return nullptr;
    return p->bytes.data() + within;
}

bool CachedSource::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (offset > size_ || n > size_ - offset || !charge(n)) return false;
    auto* out = static_cast<std::uint8_t*>(buffer);
    // A large read goes around the cache: it would only push out the pages of the trees.
    if (n >= pageSize_ * 2) return inner_.readAt(offset, out, n);
    while (n) {
        Page* p = load(offset / pageSize_);
        if (!p) return false;
        const std::size_t within = static_cast<std::size_t>(offset % pageSize_);
        if (within >= p->length) return false;
        const std::size_t take = p->length - within < n ? p->length - within : n;
        std::memcpy(out, p->bytes.data() + within, take);
        out += take;
        offset += take;
        n -= take;
    }
    return true;
}

}  // namespace dbx
