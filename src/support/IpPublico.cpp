#include "support/IpPublico.h"

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace orv {

namespace {

// An echo service answers a few hundred bytes; anything much larger is not one.
constexpr std::size_t kMaxResposta = 64 * 1024;

std::size_t receber(char* dados, std::size_t tamanho, std::size_t n, void* destino) {
    auto* s = static_cast<std::string*>(destino);
    const std::size_t total = tamanho * n;
    if (s->size() + total > kMaxResposta) return 0; // makes curl stop with a write error
    s->append(dados, total);
    return total;
}

} // namespace

std::string urlIpPublico() {
    const char* env = std::getenv("ORVANE_URL_IP");
    return env && *env ? std::string(env) : std::string(kUrlIpPublico);
}

std::string ipPublico(const std::string& url, long tempoLimiteMs) {
    static std::once_flag iniciado;
    std::call_once(iniciado, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) throw std::runtime_error("Não foi possível iniciar a consulta do IP público");
    std::string corpo;
    char erro[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 3L);
    // A configured or redirected URL never reaches files or other protocols.
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, tempoLimiteMs);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, tempoLimiteMs);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L); // safe in worker threads
    curl_easy_setopt(curl.get(), CURLOPT_USERAGENT, "Orvane");
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, receber);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &corpo);
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, erro);

    const CURLcode rc = curl_easy_perform(curl.get());
    if (rc != CURLE_OK)
        throw std::runtime_error("IP público: " +
                                 std::string(*erro ? erro : curl_easy_strerror(rc)));
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299)
        throw std::runtime_error("IP público: resposta HTTP " + std::to_string(status));

    const nlohmann::json j = nlohmann::json::parse(corpo, nullptr, false);
    if (j.is_discarded() || !j.is_object())
        throw std::runtime_error("IP público: a resposta não é um objeto JSON");
    const auto ip = j.find("ip");
    if (ip == j.end() || !ip->is_string())
        throw std::runtime_error("IP público: a resposta não traz o membro \"ip\"");
    return ip->get<std::string>();
}

} // namespace orv
