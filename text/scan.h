#pragma once
// Fast searching on the character steps of a GBK text.
//
// A scan steps over two-byte characters, so a match counts only where the stepping walk
// lands. Walking every byte is slow on whole result pages; instead raw candidates come
// from memmem/memchr and each is checked against the walk afterwards. That check needs no
// walk from the start: a byte below 0x80 is always the last byte of a character (alone,
// or as the trail of a lead byte), so the byte after the last such byte before a
// candidate is a character start, and from there on only lead bytes stand, which pair
// up. The candidate is on the walk when an even number of bytes lie between the two.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace text::scan {

inline constexpr std::size_t none = std::string_view::npos;

inline constexpr std::array<unsigned char, 256> fold_table = [] {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + 32 : i);
    return t;
}();

inline bool is_letter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

inline bool fold_equal(const unsigned char* a, const unsigned char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i] && fold_table[a[i]] != fold_table[b[i]]) return false;
    }
    return true;
}

// Tells which positions the walk starting at a known character start lands on. Queries
// must not go backwards; every byte is looked at a bounded number of times per walk.
class Steps {
  public:
    explicit Steps(const unsigned char* data) : data_(data) {}

    // `pos` becomes the walk's known character start.
    void restart(std::size_t pos) { known_ = pos; }

    bool on_step(std::size_t pos) {
        std::size_t j = pos;
        while (j > known_ && data_[j - 1] >= 0x80) --j;
        const bool yes = ((pos - j) & 1) == 0;
        // Off the walk, pos is a trail byte: the character after it starts at pos + 1.
        known_ = yes ? pos : pos + 1;
        return yes;
    }

  private:
    const unsigned char* data_;
    std::size_t known_ = 0;
};

// Finds the sought text on the walk, exactly or folding ASCII case.
class Finder {
  public:
    Finder(std::string_view text, std::string_view sought, bool ignore_case)
        : text_(reinterpret_cast<const unsigned char*>(text.data())),
          size_(text.size()),
          sought_(reinterpret_cast<const unsigned char*>(sought.data())),
          length_(sought.size()),
          steps_(text_) {
        fold_ = ignore_case && has_letter();
        if (fold_) choose_anchor();
    }

    // Index of the first match on the walk that begins at `from`, which the caller knows to
    // be a character start (the scan's start, or just after a match); `none` if there is none.
    // The sought text must not be empty.
    std::size_t next(std::size_t from) {
        steps_.restart(from);
        while (from + length_ <= size_) {
            const std::size_t c = fold_ ? folded_candidate(from) : exact_candidate(from);
            if (c == none) return none;
            if (steps_.on_step(c)) return c;
            from = c + 1;
        }
        return none;
    }

  private:
    bool has_letter() const {
        for (std::size_t i = 0; i < length_; ++i) {
            if (is_letter(sought_[i])) return true;
        }
        return false;
    }

    std::size_t exact_candidate(std::size_t from) const {
        const void* hit = memmem(text_ + from, size_ - from, sought_, length_);
        return hit ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - text_) : none;
    }

    // How often a byte turns up on a result page (lower is rarer); letters cost two searches.
    static int commonness(unsigned char c) {
        if (c == ' ') return 10;
        if (is_letter(c)) return 9;
        if (c >= 0x80) return 8;
        if (c == '<' || c == '>' || c == '"' || c == '=' || c == '/' || c == '\r' || c == '\n' || c == '\t')
            return 7;
        if (c >= '0' && c <= '9') return 5;
        return 4;
    }

    void choose_anchor() {
        for (std::size_t i = 1; i < length_; ++i) {
            if (commonness(sought_[i]) < commonness(sought_[anchor_])) anchor_ = i;
        }
        const unsigned char a = sought_[anchor_];
        lower_.byte = fold_table[a];
        upper_.byte = is_letter(a) ? static_cast<unsigned char>(lower_.byte - 32) : lower_.byte;
    }

    // Next occurrence of one anchor byte, remembered so that repeated searches stay linear.
    struct Stream {
        unsigned char byte = 0;
        std::size_t searched_from = none;
        std::size_t hit = none;  // `end` when there is none before it
    };

    std::size_t stream_next(Stream& s, std::size_t from, std::size_t end) const {
        if (s.searched_from == none || s.searched_from > from || s.hit < from) {
            const void* hit = std::memchr(text_ + from, s.byte, end - from);
            s.hit = hit ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - text_) : end;
            s.searched_from = from;
        }
        return s.hit;
    }

    std::size_t folded_candidate(std::size_t from) {
        // The anchor byte of a candidate starting at c stands at c + anchor_; c goes up to
        // size_ - length_.
        const std::size_t end = size_ - length_ + anchor_ + 1;
        for (std::size_t at = from + anchor_; at < end;) {
            std::size_t hit = stream_next(lower_, at, end);
            if (upper_.byte != lower_.byte) hit = std::min(hit, stream_next(upper_, at, end));
            if (hit >= end) return none;
            const std::size_t c = hit - anchor_;
            if (fold_equal(text_ + c, sought_, length_)) return c;
            at = hit + 1;
        }
        return none;
    }

    const unsigned char* text_;
    std::size_t size_;
    const unsigned char* sought_;
    std::size_t length_;
    Steps steps_;
    bool fold_ = false;
    std::size_t anchor_ = 0;
    Stream lower_, upper_;
};

}  // namespace text::scan
