#pragma once
// A view over a heap copy of exactly a text's bytes, so that AddressSanitizer reports any
// read past its end (a std::string literal would hide it behind its terminator).

#include <cstring>
#include <memory>
#include <string_view>

class ExactText {
  public:
    explicit ExactText(std::string_view t) : bytes_(new char[t.size() ? t.size() : 1]), size_(t.size()) {
        std::memcpy(bytes_.get(), t.data(), t.size());
    }
    operator std::string_view() const { return {bytes_.get(), size_}; }

  private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};
