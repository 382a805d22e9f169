#include "support/IpPublico.h"

#include "PastaTemp.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

using namespace orv;

namespace {

// A one-shot HTTP server on 127.0.0.1: answers the first request with a canned reply, or keeps
// silent when the reply is empty (to exercise the time-out).
class ServidorHttp {
public:
    explicit ServidorHttp(std::string resposta) : fResposta(std::move(resposta)) {
        fSocket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in end{};
        end.sin_family = AF_INET;
        end.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t tam = sizeof end;
        if (fSocket < 0 || bind(fSocket, reinterpret_cast<sockaddr*>(&end), sizeof end) != 0 ||
            listen(fSocket, 4) != 0 ||
            getsockname(fSocket, reinterpret_cast<sockaddr*>(&end), &tam) != 0)
            throw std::runtime_error("servidor de teste");
        fPorta = ntohs(end.sin_port);
        fThread = std::thread([this] { servir(); });
    }
    ~ServidorHttp() {
        fParar = true;
        fThread.join();
        close(fSocket);
    }
    std::string url(const std::string& caminho = "/json") const {
        return "http://127.0.0.1:" + std::to_string(fPorta) + caminho;
    }
    const std::string& pedido() const { return fPedido; }

private:
    // Waits for the socket in short slices so that the destructor is never kept waiting.
    bool esperar(int fd) {
        pollfd p{fd, POLLIN, 0};
        while (!fParar)
            if (poll(&p, 1, 20) > 0) return true;
        return false;
    }
    void servir() {
        if (!esperar(fSocket)) return;
        int c = accept(fSocket, nullptr, nullptr);
        if (c < 0) return;
        char buf[4096];
        while (fPedido.find("\r\n\r\n") == std::string::npos && esperar(c)) {
            ssize_t n = recv(c, buf, sizeof buf, 0);
            if (n <= 0) break;
            fPedido.append(buf, static_cast<std::size_t>(n));
        }
        if (!fResposta.empty())
            send(c, fResposta.data(), fResposta.size(), MSG_NOSIGNAL);
        else
            esperar(-1); // silent until the test ends
        close(c);
    }

    std::string fResposta, fPedido;
    int fSocket = -1;
    int fPorta = 0;
    std::atomic<bool> fParar{false};
    std::thread fThread;
};

// The local server is reached directly even where the environment names a proxy.
const bool kSemProxy = [] {
    for (const char* v :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(v);
    return true;
}();

std::string http(const std::string& status, const std::string& corpo) {
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(corpo.size()) +
           "\r\nConnection: close\r\n\r\n" + corpo;
}

TEST(IpPublico, ReadsTheIpMember) {
    ServidorHttp srv(http("200 OK", R"({"ip": "203.0.113.7", "city": "São Paulo"})"));
    EXPECT_EQ(ipPublico(srv.url(), 2000), "203.0.113.7");
    EXPECT_TRUE(srv.pedido().starts_with("GET /json HTTP/1.1\r\n")) << srv.pedido();
}

TEST(IpPublico, FailuresReachTheCaller) {
    struct Caso {
        const char* nome;
        std::string resposta;
    } casos[] = {
        {"not JSON", http("200 OK", "<html>ip</html>")},
        {"not an object", http("200 OK", R"(["203.0.113.7"])")},
        {"no ip member", http("200 OK", R"({"addr": "203.0.113.7"})")},
        {"ip not a text", http("200 OK", R"({"ip": 12})")},
        {"HTTP error", http("503 Service Unavailable", R"({"ip": "203.0.113.7"})")},
        {"oversized",
         http("200 OK", "{\"ip\":\"1.2.3.4\",\"x\":\"" + std::string(100000, 'x') + "\"}")},
    };
    for (const auto& c : casos) {
        ServidorHttp srv(c.resposta);
        EXPECT_THROW(ipPublico(srv.url(), 2000), std::runtime_error) << c.nome;
    }
}

TEST(IpPublico, OnlyWebUrls) {
    // A file that would answer well: a configured URL must not reach it.
    const std::string arq = std::filesystem::temp_directory_path() / "orvane-ip-teste.json";
    orv::teste::gravarBytes(arq, R"({"ip": "198.51.100.9"})");
    EXPECT_THROW(ipPublico("file://" + arq, 2000), std::runtime_error);
    std::filesystem::remove(arq);
}

TEST(IpPublico, ShortTimeOutAndClosedPort) {
    {
        ServidorHttp mudo("");
        const auto inicio = std::chrono::steady_clock::now();
        EXPECT_THROW(ipPublico(mudo.url(), 300), std::runtime_error);
        EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(3));
    }
    int porta;
    {
        ServidorHttp fechado(http("200 OK", "{}"));
        porta = std::stoi(fechado.url("").substr(17));
    }
    EXPECT_THROW(ipPublico("http://127.0.0.1:" + std::to_string(porta) + "/json", 1000),
                 std::runtime_error);
}

TEST(IpPublico, UrlFromTheEnvironment) {
    unsetenv("ORVANE_URL_IP");
    EXPECT_EQ(urlIpPublico(), std::string(kUrlIpPublico));
    setenv("ORVANE_URL_IP", "http://127.0.0.1:1/json", 1);
    EXPECT_EQ(urlIpPublico(), "http://127.0.0.1:1/json");
    unsetenv("ORVANE_URL_IP");
}

} // namespace
