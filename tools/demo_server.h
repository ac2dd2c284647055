#pragma once
// A small, tolerant HTTP/1.1 server for the demo site, plain or over TLS, on 127.0.0.1.
// It takes request targets exactly as clients send them (a player's link carries its own
// "?", "&" and "//"), answers one request per connection, and runs each connection on a
// thread of its own.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

typedef struct ssl_ctx_st SSL_CTX;

namespace demo {

struct Request {
    std::string method;
    std::string target;                          // as sent: a path and query, or a proxy's absolute form
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    std::string header(const std::string& lower_case_name) const;
};

struct Response {
    int status = 200;
    std::string content_type = "text/html; charset=utf-8";
    std::string body;
    std::vector<std::string> header_lines;  // further lines as they are sent ("Set-Cookie: a=1")
};

using Handler = std::function<void(const Request&, Response&)>;

class Server {
  public:
    // `tls` (may be null) makes it an HTTPS server; the context must outlive the server.
    Server(Handler handler, SSL_CTX* tls = nullptr);
    ~Server();

    // Binds 127.0.0.1:`port` (0 takes a free one). Returns the port, or -1.
    int bind(int port);
    // Accepts connections until the process ends.
    void serve();

  private:
    Handler handler_;
    SSL_CTX* tls_;
    int socket_ = -1;
};

}  // namespace demo
