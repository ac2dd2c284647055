// The search engines of the shipped configuration and the BTSP site, with result pages written
// to the markers the program cuts them by.
//
// Every keyword finds 24 results, 10 to a page, named after the keyword in Chinese and in
// ASCII, so a search fills the list and "加载更多" appends two further pages. A keyword holding
// "nothing" or "无结果" finds none: btsp and ed2k then answer their "nothing found" pages.
//
//   btdigg.example/search?q=K[&p=k]            UTF-8; page k of its numbering (first page 0)
//   ed2k.example/search/K?page=N&mode=thumb     GBK, with the result total
//   code.example/search/K/[k]                   GBK, the whole page percent-encoded
//   <BTSP origin>/search/K/currentPage/N        UTF-8

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/addresses.h"
#include "text/charset.h"
#include "tools/demo_site.h"

namespace demo {

namespace {

constexpr int results_per_keyword = 24;
constexpr int page_size = 10;

struct Result {
    std::string name;  // UTF-8, HTML-escaped
    std::string hash;  // 40 hex digits
    std::string size;
    long long bytes;
};

bool finds_nothing(const std::string& keyword) {
    return keyword.find("nothing") != std::string::npos || keyword.find("无结果") != std::string::npos;
}

std::string hex_hash(const std::string& keyword, int number, int digits) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : keyword + "#" + std::to_string(number)) h = (h ^ c) * 1099511628211ull;
    std::string out;
    while (static_cast<int>(out.size()) < digits) {
        h = h * 6364136223846793005ull + 1442695040888963407ull;
        char piece[17];
        std::snprintf(piece, sizeof piece, "%016llX", static_cast<unsigned long long>(h));
        out += piece;
    }
    return out.substr(0, static_cast<std::size_t>(digits));
}

Result result_of(const std::string& keyword, int number) {
    static const char* const chinese[] = {"国语中字", "高清版", "导演剪辑版", "蓝光原盘", "花絮"};
    static const char* const ascii[] = {"1080p.BluRay.x264", "720p.WEB-DL", "HDTV.x265", "DVDRip"};
    const std::string word = html_escape(keyword);
    Result r;
    if (number % 2 == 1) {
        r.name = word + " " + chinese[number % 5] + " 第" + std::to_string((number + 1) / 2) + "部.mkv";
    } else {
        r.name = word + "." + ascii[number % 4] + ".Part" + std::to_string(number / 2) + ".mp4";
    }
    r.hash = hex_hash(keyword, number, 40);
    r.bytes = 300'000'000LL + 97'000'000LL * number;
    char size[32];
    std::snprintf(size, sizeof size, "%.2f GB", static_cast<double>(r.bytes) / (1024.0 * 1024 * 1024));
    r.size = size;
    return r;
}

// Calls `each` for the results of page `index` (0 for the first page).
template <class Each>
void for_page(const std::string& keyword, int index, Each each) {
    if (finds_nothing(keyword) || index < 0) return;
    for (int n = index * page_size + 1; n <= results_per_keyword && n <= (index + 1) * page_size; ++n)
        each(result_of(keyword, n));
}

// The keyword arrives as percent-encoded UTF-8.
std::string decoded(std::string_view encoded) { return text::url_decode(encoded); }

int number_after(const std::string& text, const std::string& key, int fallback) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos) return fallback;
    return std::atoi(text.c_str() + at + key.size());
}

std::string page_head(const std::string& title, const char* charset) {
    return std::string("<!DOCTYPE html><html><head><meta charset=\"") + charset + "\"><title>" +
           html_escape(title) + "</title></head><body>\n";
}

void send_raw(Response& response, const std::string& body, bool gbk) {
    response.status = 200;
    response.content_type = gbk ? "text/html; charset=gbk" : "text/html; charset=utf-8";
    response.body = gbk ? text::utf8_to_gbk(body) : body;
}

// btdigg.example/search?q=K[&p=k]
void btdigg_page(const std::string& target, Response& response) {
    const std::size_t q = target.find("q=");
    const std::size_t end = target.find("&p=");
    const std::string keyword = decoded(q == std::string::npos ? "" : target.substr(q + 2, end - (q + 2)));
    std::string page = page_head(keyword + " - BTDIGG", "utf-8");
    for_page(keyword, number_after(target, "&p=", 0), [&](const Result& r) {
        page += "<div class=\"one_result\">\n<p><a href=\"/t/" + r.hash + "\">" + r.name +
                "</a>\n</p>\n<div class=\"m-files\">\n\n\n\n\n<ul class=\"m-files-ul\">\n\n<li>" + r.name +
                "\n<span style=\"color:#888;\">大小:" + r.size +
                "&nbsp;&nbsp;</span> &nbsp;&nbsp;\n<a href=\"magnet:?xt=urn:btih:" + r.hash +
                "\">磁力链接</a></li></ul></div></div>\n";
    });
    send_raw(response, page + "</body></html>", false);
}

// ed2k.example/search/K?page=N&mode=thumb
void ed2k_page(const std::string& target, Response& response) {
    const std::string prefix = "/search/";
    const std::size_t query = target.find('?');
    const std::string keyword = decoded(target.substr(prefix.size(), query - prefix.size()));
    std::string page = page_head(keyword + " - ed2k", "gbk");
    if (finds_nothing(keyword)) {
        send_raw(response, page + "<p>没有找到相关资源。</p></body></html>", true);
        return;
    }
    page += "<table><tr><td><b>结果总数" + std::to_string(results_per_keyword) +
            "</b></td><td>展现方式:缩略图</td></tr></table>\n";
    for_page(keyword, number_after(target, "page=", 1) - 1, [&](const Result& r) {
        std::string file = r.name;
        for (char& c : file)
            if (c == '/' || c == '|') c = '_';
        page += "<div class=\"r\"><a href=\"ed2k://|file|" + file + "|" + std::to_string(r.bytes) + "|" +
                r.hash.substr(0, 32) + "|/\">下载</a>\n    <br/>\n\n  " + r.name + "<small>大小: " + r.size +
                "&nbsp;|&nbsp;来源 演示</small></div>\n";
    });
    send_raw(response, page + "</body></html>", true);
}

// The code engine's pages come percent-encoded: quotes, angle brackets and "%" itself.
std::string percent_encoded(const std::string& html) {
    std::string out;
    for (char c : html) {
        switch (c) {
            case '"':
                out += "%22";
                break;
            case '<':
                out += "%3C";
                break;
            case '>':
                out += "%3E";
                break;
            case '%':
                out += "%25";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// code.example/search/K/[k]
void code_page(const std::string& target, Response& response) {
    const std::string prefix = "/search/";
    const std::size_t slash = target.find('/', prefix.size());
    const std::string keyword = decoded(target.substr(prefix.size(), slash - prefix.size()));
    const std::string tail = slash == std::string::npos ? "" : target.substr(slash + 1);
    const int index = tail.empty() ? 0 : std::atoi(tail.c_str());
    std::string page = page_head(keyword + " - 番号", "gbk") + "<table>\n";
    for_page(keyword, index, [&](const Result& r) {
        page += "<tr><td class=\"name\">" + r.name + "</td><td class=\"size\">" + r.size +
                "</td><td><a href=\"/d/" + r.hash + "\">Detail</a><a href=\"magnet:?xt=urn:btih:" + r.hash +
                "\" title=\"" + r.name + "\">磁力</a></td></tr>\n";
    });
    send_raw(response, percent_encoded(page + "</table></body></html>"), true);
}

// <BTSP origin>/search/K/currentPage/N
void btsp_page(const std::string& target, Response& response) {
    const std::string prefix = "/search/";
    const std::size_t end = target.find("/currentPage/");
    const std::string keyword = decoded(target.substr(prefix.size(), end - prefix.size()));
    std::string page = page_head(keyword + " - BTSP", "utf-8");
    if (finds_nothing(keyword)) {
        send_raw(
            response,
            page +
                "<div class=\"empty\">唉呀，没有找到任何结果，尝试使用简单的关键词匹配</div></body></html>",
            false);
        return;
    }
    const std::string detail = std::string(addresses::btsp_origin) + "/magnet/detail/hash/";
    page += "<table>\n";
    for_page(keyword, number_after(target, "/currentPage/", 1) - 1, [&](const Result& r) {
        page += "<tr><td class=\"name\"><a class=\"btn\" title=\"" + r.name + "\" href=\"" + detail + r.hash +
                "\">" + r.name + "</a></td><td class=\"files-size\">" + r.size +
                "</td><td class=\"action\"><a href=\"" + detail + r.hash + "\">详情</a></td></tr>\n";
    });
    send_raw(response, page + "</table></body></html>", false);
}

std::string host_name(const Request& request) {
    std::string host = request.header("host");
    const std::size_t colon = host.find(':');
    return colon == std::string::npos ? host : host.substr(0, colon);
}

bool starts_with(const std::string& text, std::string_view head) {
    return text.compare(0, head.size(), head) == 0;
}

}  // namespace

void engine_pages(const Request& request, Response& response) {
    const std::string host = host_name(request);
    const std::string target = request_target(request);
    const std::string btsp_host =
        std::string(addresses::btsp_origin).substr(std::string_view("http://").size());
    if (host == "btdigg.example" && starts_with(target, "/search?")) return btdigg_page(target, response);
    if (host == "ed2k.example" && starts_with(target, "/search/")) return ed2k_page(target, response);
    if (host == "code.example" && starts_with(target, "/search/")) return code_page(target, response);
    if (host == btsp_host && starts_with(target, "/search/") &&
        target.find("/currentPage/") != std::string::npos)
        return btsp_page(target, response);
    send_not_found(request, response);
}

}  // namespace demo
