#pragma once
// The configuration: peizhi.ini beside the executable, four GBK lines
//   磁力=<magnet_base>  电驴=<ed2k_base>  番号=<code_base>  云点播=<cloud_play_base>
// each ended by CR LF, the whole file RC4-encrypted under the GBK bytes of "KD书签".
// Reading never fails: an empty, foreign or damaged file gives empty fields.

#include "text/text.h"

namespace app {

inline constexpr const char* config_file_name = "peizhi.ini";

// The four base addresses. Written once at start-up, read by any thread afterwards.
struct Endpoints {
    text::Text magnet_base;
    text::Text ed2k_base;
    text::Text code_base;
    text::Text cloud_play_base;
};

// RC4 with the standard key schedule, keystream from the first byte, nothing discarded; its own
// inverse. An empty key leaves the data as it is.
text::Bytes rc4(const text::Bytes& data, const text::Bytes& key);

// The configuration key: the six GBK bytes of "KD书签".
const text::Bytes& config_key();

// The plain text of a stored file: decrypted, up to its first zero byte.
text::Text decrypt_config(const text::Bytes& raw_file);

// The four values cut out of the plain text. Each of the first three runs from its key to the
// next occurrence of the following key's name, the last from the last "云点播=" to the end;
// CR LF pairs inside a value are removed, nothing else (no trimming, lone CR or LF stay).
Endpoints parse_endpoints(const text::Text& plain);

// decrypt_config, then parse_endpoints.
Endpoints read_endpoints(const text::Bytes& raw_file);

// The stored form of a plain GBK text, byte for byte the same length.
text::Bytes encrypt_config(const text::Text& plain_gbk);

}  // namespace app
