#include "app/config.h"

#include <array>
#include <utility>

#include "text/extract.h"
#include "text/gbk_literal.h"

namespace app {
namespace {

GBK_CONSTANT(key_text, "KD书签")
GBK_CONSTANT(magnet_key, "磁力=")
GBK_CONSTANT(ed2k_key, "电驴=")
GBK_CONSTANT(ed2k_name, "电驴")
GBK_CONSTANT(code_key, "番号=")
GBK_CONSTANT(code_name, "番号")
GBK_CONSTANT(cloud_key, "云点播=")
GBK_CONSTANT(cloud_name, "云点播")

text::Text without_crlf(const text::Text& value) {
    return text::replace_subtext(value, "\r\n", {}, 1, std::nullopt, true);
}

}  // namespace

text::Bytes rc4(const text::Bytes& data, const text::Bytes& key) {
    if (key.empty()) return data;
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    unsigned char j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<unsigned char>(j + s[i] + key[static_cast<std::size_t>(i) % key.size()]);
        std::swap(s[i], s[j]);
    }
    text::Bytes out(data.size());
    unsigned char a = 0;
    unsigned char b = 0;
    for (std::size_t n = 0; n < data.size(); ++n) {
        a = static_cast<unsigned char>(a + 1);
        b = static_cast<unsigned char>(b + s[a]);
        std::swap(s[a], s[b]);
        out[n] = data[n] ^ s[static_cast<unsigned char>(s[a] + s[b])];
    }
    return out;
}

const text::Bytes& config_key() {
    static const text::Bytes* key = new text::Bytes(text::to_bytes(key_text()));
    return *key;
}

text::Text decrypt_config(const text::Bytes& raw_file) { return text::to_text(rc4(raw_file, config_key())); }

Endpoints parse_endpoints(const text::Text& plain) {
    Endpoints e;
    e.magnet_base = without_crlf(text::extract_between(plain, magnet_key(), ed2k_name()));
    e.ed2k_base = without_crlf(text::extract_between(plain, ed2k_key(), code_name()));
    e.code_base = without_crlf(text::extract_between(plain, code_key(), cloud_name()));
    e.cloud_play_base = without_crlf(text::text_after_last(plain, cloud_key()));
    return e;
}

Endpoints read_endpoints(const text::Bytes& raw_file) { return parse_endpoints(decrypt_config(raw_file)); }

text::Bytes encrypt_config(const text::Text& plain_gbk) {
    return rc4(text::to_bytes(plain_gbk), config_key());
}

}  // namespace app
