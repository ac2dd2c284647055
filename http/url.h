#pragma once
// Host, port and path cut out of an address by plain text rules, the way the request engine
// needs them to connect and ask. Nothing is validated: an odd address gives whatever the rules
// give (a query without a path stays part of the host, "[::1]" is not understood), and the
// engine passes that on.

#include "text/text.h"

namespace http {

// The text after the first ":", spaces trimmed at both ends; empty without a ":".
// 'Location: http://a.example/b' -> 'http://a.example/b'.
text::Text value_after_colon(std::string_view line);

// The host, ASCII lower-cased: from just after "https://" (when the address starts with it)
// or the first "http://" (put in front when there is none) up to the next "/".
// `last_two_labels` keeps only the last two dot-separated labels; without `keep_port` the
// host is cut at its first ":".
text::Text url_host(std::string_view address, bool last_two_labels = false, bool keep_port = false);

// The number after the last ":" of the host with its port; 443 for an address starting with
// "https" and 80 for any other when the host has no ":".
int url_port(std::string_view address);

// From the first "/" at or after the host to the end, query and fragment included, in the
// address's own letter case; "/" when there is none.
text::Text url_path(std::string_view address);

}  // namespace http
