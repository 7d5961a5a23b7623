#pragma once
// A QString built through a raw pointer. The whole-text operations append millions of
// pieces of a few characters each; here such an append is a bounds check and a copy
// rather than a call into QString.

#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <cstring>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace lyrics {

class TextBuilder {
public:
    explicit TextBuilder(qsizetype expected) { grow(std::max<qsizetype>(expected, 16)); }

    /// Room for `n` more characters; write them at the pointer returned, then commit().
    char16_t* reserve(qsizetype n)
    {
        if (end_ - p_ < n)
            grow(n);
        return p_;
    }
    void commit(char16_t* to) { p_ = to; }

    void append(QStringView s)
    {
        const qsizetype n = s.size();
        reserve(n);
        if (n > 0)
            std::memcpy(p_, s.utf16(), size_t(n) * sizeof(char16_t));
        p_ += n;
    }
    void append(char16_t c)
    {
        reserve(1);
        *p_++ = c;
    }

    qsizetype size() const { return p_ - begin_; }
    char16_t at(qsizetype i) const { return begin_[i]; }
    const char16_t* data() const { return begin_; }
    QStringView view() const { return QStringView(begin_, size()); }
    bool endsWith(QStringView s) const { return view().endsWith(s); }
    void truncate(qsizetype n) { p_ = begin_ + n; }

    /// The text built; the builder is empty afterwards.
    QString take()
    {
        s_.resize(size());
        begin_ = p_ = end_ = nullptr;
        return std::move(s_);
    }

private:
    void grow(qsizetype n)
    {
        const qsizetype used = p_ - begin_;
        // QString::resize leaves the new characters uninitialised.
        s_.resize(std::max(used + n, s_.size() + s_.size() / 2 + 64));
        begin_ = reinterpret_cast<char16_t*>(s_.data());
        p_ = begin_ + used;
        end_ = begin_ + s_.size();
        adviseHugePages();
    }

    /// Texts of many megabytes are filled and read back in any order: on huge pages they
    /// cost a fraction of the page faults and TLB misses of 4 KiB pages.
    void adviseHugePages()
    {
#ifdef __linux__
        constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
        const std::uintptr_t from = (reinterpret_cast<std::uintptr_t>(begin_) + kHuge - 1) & ~(kHuge - 1);
        const std::uintptr_t to = reinterpret_cast<std::uintptr_t>(end_) & ~(kHuge - 1);
        if (to >= from + 2 * kHuge)
            madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
    }

    QString s_;
    char16_t* begin_ = nullptr;
    char16_t* p_ = nullptr;
    char16_t* end_ = nullptr;
};

} // namespace lyrics
