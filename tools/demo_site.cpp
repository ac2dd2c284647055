// xinghe-demo-site [--port N] [--tls-port N]
// xinghe-demo-site --hosts      lists the host names it answers for
//
// Serves the program's outside world on 127.0.0.1: plain HTTP on --port, and HTTPS (for the
// HD player, whose address is https) on --tls-port with a certificate made up at start for the
// demo hosts. Port 0, the default, takes a free port. Once both listen, it prints
//     http 127.0.0.1:PORT
//     https 127.0.0.1:PORT
// and serves until it is ended. It answers any request by its Host header; a request in a
// proxy's absolute form (GET http://host/path) is answered the same way.

#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "config/addresses.h"
#include "tools/demo_site.h"

namespace demo {

namespace {

std::string host_of(std::string_view origin) {
    if (const size_t scheme = origin.find("://"); scheme != std::string_view::npos)
        origin.remove_prefix(scheme + 3);
    return std::string(origin.substr(0, origin.find_first_of("/:")));
}

void dispatch(const Request& request, Response& response) {
    std::string host = request.header("host");
    // A proxy's absolute form names the host in the target itself.
    if (host.empty() || (!request.target.empty() && request.target[0] != '/')) host = host_of(request.target);
    host = host.substr(0, host.find(':'));
    for (const Host& entry : site_hosts()) {
        if (entry.name == host) {
            entry.pages(request, response);
            return;
        }
    }
    send_not_found(request, response);
}

struct Certificate {
    std::unique_ptr<X509, decltype(&X509_free)> cert{nullptr, X509_free};
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key{nullptr, EVP_PKEY_free};
};

// A self-signed certificate for the demo's own hosts. Nothing trusts it: the browser is told
// to accept it by the flag that run.sh passes for the demo alone.
Certificate make_certificate() {
    Certificate made;
    made.key.reset(EVP_RSA_gen(2048));
    made.cert.reset(X509_new());
    X509* cert = made.cert.get();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 60L * 60 * 24 * 30);
    X509_set_pubkey(cert, made.key.get());
    X509_NAME* name = X509_get_subject_name(cert);
    const std::string host = host_of(addresses::hd_player_origin);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(host.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
    std::string names = "DNS:*.example";
    for (const Host& entry : site_hosts()) names += ",DNS:" + entry.name;
    if (X509_EXTENSION* extension =
            X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, names.c_str())) {
        X509_add_ext(cert, extension, -1);
        X509_EXTENSION_free(extension);
    }
    X509_sign(cert, made.key.get(), EVP_sha256());
    return made;
}

// The TLS context of the HTTPS listener, with the made-up certificate.
SSL_CTX* make_tls_context(const Certificate& certificate) {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (context == nullptr || SSL_CTX_use_certificate(context, certificate.cert.get()) != 1 ||
        SSL_CTX_use_PrivateKey(context, certificate.key.get()) != 1) {
        return nullptr;
    }
    return context;
}

int port_argument(int argc, char** argv, const char* flag) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], flag) == 0) return std::atoi(argv[i + 1]);
    }
    return 0;
}

}  // namespace

std::vector<Host> site_hosts() {
    return {
        {host_of(addresses::cloud_player_origin), cloud_player_pages},
        {host_of(addresses::hd_player_origin), hd_player_pages},
        {host_of(addresses::live_tv_origin), live_tv_pages},
        {host_of(addresses::update_page), update_pages},
        {addresses::forum_host, forum_pages},
        {host_of(addresses::btsp_origin), engine_pages},
        {"btdigg.example", engine_pages},
        {"ed2k.example", engine_pages},
        {"code.example", engine_pages},
    };
}

}  // namespace demo

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: xinghe-demo-site [--port N] [--tls-port N] | --hosts\n");
            return 0;
        }
        if (std::strcmp(argv[i], "--hosts") == 0) {  // the names run.sh maps to the site
            for (const demo::Host& host : demo::site_hosts()) std::printf("%s\n", host.name.c_str());
            return 0;
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    demo::Server plain(demo::dispatch);
    const int plain_port = plain.bind(demo::port_argument(argc, argv, "--port"));

    const demo::Certificate certificate = demo::make_certificate();
    SSL_CTX* tls = demo::make_tls_context(certificate);
    demo::Server secure(demo::dispatch, tls);
    const int secure_port = tls != nullptr ? secure.bind(demo::port_argument(argc, argv, "--tls-port")) : -1;

    if (plain_port <= 0 || secure_port <= 0) {
        std::fprintf(stderr, "xinghe-demo-site: cannot listen on 127.0.0.1\n");
        return 2;
    }
    std::printf("http 127.0.0.1:%d\nhttps 127.0.0.1:%d\n", plain_port, secure_port);
    std::fflush(stdout);

    std::thread([&secure] { secure.serve(); }).detach();
    plain.serve();
}
