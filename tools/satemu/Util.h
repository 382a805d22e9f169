#pragma once
// Small helpers of the device: exact decimal amounts, check digits, clock, Base64, code pages.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace satemu {

// Reads "123", "123.4", "0.0165" into an integer scaled by 10^casas. Refuses signs, blanks,
// exponents and more decimals than casas; nullopt when malformed or out of range.
std::optional<int64_t> lerDecimal(std::string_view texto, int casas);

// Formats an amount scaled by 10^casas with exactly that many decimals ("12.30").
std::string formatarDecimal(int64_t valor, int casas);

// n / d for n >= 0, d > 0, either truncated or rounded half to even.
int64_t dividirTruncando(__int128 n, __int128 d);
int64_t dividirPar(__int128 n, __int128 d);

bool soDigitos(std::string_view s);
bool cnpjValido(std::string_view cnpj);
bool cpfValido(std::string_view cpf);
bool gtinValido(std::string_view gtin);
// Check digit of a 43-digit access key: weights 2..9 from the right.
int digitoChave(std::string_view chave43);

// The device's clock: local time shifted by a configured number of seconds.
std::time_t agora(long deslocamentoSegundos);
std::string formatarHora(std::time_t t, const char* formato);  // strftime, local time
std::time_t lerCarimbo(const std::string& aaaammddhhmmss);    // local time; -1 when invalid

std::string base64(const std::string& bytes);
std::optional<std::string> deBase64(const std::string& texto);

// Converts UTF-8 to Windows-1252; characters it cannot hold become "?".
std::string paraWindows1252(const std::string& utf8);

// A field of an answer never carries the separator or a line break.
std::string campoSeguro(std::string texto);
std::vector<std::string> dividir(const std::string& s, char sep);
std::string aparar(std::string s);

}  // namespace satemu
