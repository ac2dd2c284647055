#pragma once
// xinghe-demo-site: the outside world of the program, offline, on 127.0.0.1. One server
// answers for every fixed host of the program and of the shipped configuration, told apart by
// the Host header (the program reaches it through connect-to mappings, so the real addresses
// and Host headers arrive). Each host's pages live in a small function of their own:
//
//     demo_site_players.cpp   cloud player, HD player, live TV
//     demo_site_update.cpp    the version page
//     demo_site_forum.cpp     the forum
//     demo_site_engines.cpp   the search engines of the configuration and the BTSP site
//
// To add a host, write its handler, declare it here and list it in site_hosts().

#include <string>
#include <string_view>
#include <vector>

#include "tools/demo_server.h"

namespace demo {

using PageHandler = void (*)(const Request& request, Response& response);

struct Host {
    std::string name;  // without a port
    PageHandler pages;
};

// Every host the site answers for.
std::vector<Host> site_hosts();

// A night-sky page in UTF-8 with `body_html` inside.
void send_page(Response& response, std::string_view title, std::string_view body_html, int status = 200);
// The same page in GBK, declared as such, for hosts whose pages the program cuts by GBK markers.
void send_gbk_page(Response& response, std::string_view title_utf8, std::string_view body_html_utf8,
                   int status = 200);
void send_not_found(const Request& request, Response& response);

std::string html_escape(std::string_view text);
// The query value `name` as it was sent: everything after "name=" to the end of the target.
// A player is handed a whole link (with its own ? & and =) this way.
std::string raw_query_tail(const Request& request, std::string_view name);
// The request target as the client sent it (path and query).
std::string request_target(const Request& request);

void cloud_player_pages(const Request& request, Response& response);
void hd_player_pages(const Request& request, Response& response);
void live_tv_pages(const Request& request, Response& response);
void update_pages(const Request& request, Response& response);
void forum_pages(const Request& request, Response& response);
// The forum's login and account pages (demo_site_account.cpp); false for any other page.
bool account_pages(const Request& request, Response& response);
void engine_pages(const Request& request, Response& response);

}  // namespace demo
