#include "http/url.h"

#include "text/extract.h"

namespace http {

text::Text value_after_colon(std::string_view line) {
    const int colon = text::find_text(line, ":");
    if (colon == -1) return {};
    return text::trim_both_ends(text::text_right(line, text::text_length(line) - colon));
}

text::Text url_host(std::string_view address, bool last_two_labels, bool keep_port) {
    text::Text u = text::to_lower(address);
    if (text::text_right(u, 1) != "/") u += "/";
    std::string_view marker = "http://";
    if (text::text_left(u, 8) == "https://") {
        marker = "https://";
    } else if (text::find_text(u, marker) == -1) {
        u.insert(0, marker);
    }
    text::Text host = text::extract_between(u, marker, "/");
    if (last_two_labels) {
        const text::TextList labels = text::split_text(host, ".");
        const int n = text::list_count(labels);
        if (n > 1) host = text::list_item(labels, n - 1) + "." + text::list_item(labels, n);
    }
    if (keep_port) return host;
    const int colon = text::find_text(host, ":");
    return colon == -1 ? host : text::text_left(host, colon - 1);
}

int url_port(std::string_view address) {
    const text::Text host = url_host(address, false, true);
    if (text::find_text(host, ":") != -1) return text::to_int(text::text_after_last(host, ":"));
    return text::to_lower(text::text_left(address, 5)) == "https" ? 443 : 80;
}

text::Text url_path(std::string_view address) {
    const text::Text host = url_host(address);
    const int at = host.empty() ? 1 : text::find_text(address, host, 1, true);
    const int slash = text::find_text(address, "/", at, true);
    if (slash == -1) return "/";
    return text::text_right(address, text::text_length(address) - slash + 1);
}

}  // namespace http
