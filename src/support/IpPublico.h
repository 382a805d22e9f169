#pragma once
// The machine's address as seen from the internet, asked of an IP-echo web service.

#include <string>
#include <string_view>

namespace orv {

// Any service answering a JSON object with a text member "ip" will do.
inline constexpr std::string_view kUrlIpPublico = "https://ipinfo.io/json";
inline constexpr long kTempoLimiteIpMs = 5000;

// The URL in the environment variable ORVANE_URL_IP, else kUrlIpPublico.
std::string urlIpPublico();

// One GET of `url` with a short time-out; the answer must be a JSON object whose member "ip" is
// a text. Throws std::runtime_error on any failure (no network, time-out, HTTP error status,
// oversized or malformed answer): the caller decides what a missing address means.
std::string ipPublico(const std::string& url = urlIpPublico(),
                      long tempoLimiteMs = kTempoLimiteIpMs);

} // namespace orv
