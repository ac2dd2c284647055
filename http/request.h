#pragma once
// The web request engine: one HTTP exchange with the program's default headers, cookie
// collection and merging, its own handling of "301 Moved", and pages that declare UTF-8
// turned into GBK.
//
// Failures give the empty result, and HTTP statuses are not looked at: a 404 page is a page.
// Callers that must tell "the site could not be reached" from an empty page read `failed`
// (and `status`), which the engine fills beside the fields below.

#include "text/text.h"

namespace http {

// Every field belongs to the caller: the in/out fields (`headers`, `send_cookies`,
// `post_bytes`) are changed in place, the output fields are written.
struct RequestOptions {
    text::Text url;
    int method = 0;  // 1 is POST; any value but 0 sends a body
    text::Text post_text;
    text::Text send_cookies;          // in/out: merged with the received cookies when given
    bool send_cookies_given = false;  // also switches the process-wide cookie store off
    text::Text received_cookies;      // out: "name=value" entries joined by "; "
    text::Text headers;               // in/out: extra lines separated by CR LF, defaults appended
    text::Text location;              // out: the Location value, else the raw headers
    bool no_redirect = false;
    text::Bytes post_bytes;  // in/out: for a body, filled from `post_text` when empty
    text::Text proxy;        // "host:port", used for http addresses
    bool proxy_given = false;
    text::Text raw_headers;  // out: status line and header lines, each CR LF ended; < 5000 bytes

    // Out, beside the fields above. `failed`: no exchange took place or it broke off (no
    // session, connection or request could be made, nothing answered, or the transfer ended
    // in an error, a stall for instance); the result then holds whatever arrived, usually
    // nothing. An HTTP error status is not a failure here: `status` holds the final
    // response's status code (0 without a response), for callers that care.
    bool failed = false;
    int status = 0;
};

text::Bytes web_request_bytes(RequestOptions& options);
// The body up to its first NUL byte.
text::Text web_request_text(RequestOptions& options);

// Puts the newly received cookies first, then the old ones whose names were not received
// again, without "=deleted" entries and exact duplicates; both texts lose their spaces.
// Returns a copy of the new `send_cookies`.
text::Text merge_cookies(text::Text& send_cookies, text::Text& received_cookies);
// The trimmed text before the entry's first "=", or the whole entry trimmed.
text::Text cookie_name(std::string_view entry);

// The agent sent when the caller's headers name none.
inline constexpr const char* default_agent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KT7QZ; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR "
    "3.5.21022)";

// A 301 answer is asked again at most this many times within one call.
inline constexpr int max_moved_requests = 10;

}  // namespace http
