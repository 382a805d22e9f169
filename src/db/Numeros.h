#pragma once
// Number reading shared by the connection and the SQL text builder; internal to the db layer.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orv::numeros {

// The whole of `s` as a decimal integer (no blanks, no '+'); false otherwise.
inline bool lerInteiro(std::string_view s, std::int64_t& v) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size();
}

// The whole of `s` as a real with a point, a leading '+' allowed; false otherwise.
inline bool lerDouble(std::string_view s, double& v) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size();
}

// Value of the `n` decimal digits at `pos`; -1 when they are not all there.
inline int digitos(std::string_view s, std::size_t pos, std::size_t n) {
    if (pos + n > s.size()) return -1;
    int v = 0;
    for (std::size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return -1;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

} // namespace orv::numeros
