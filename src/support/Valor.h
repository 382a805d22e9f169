#pragma once
// Amounts: signed fixed-point numbers with four decimals, kept as a 64-bit count of
// ten-thousandths (money, rates, tax quantities).

#include <compare>
#include <cstdint>
#include <string>

namespace orv {

class Currency {
public:
    constexpr Currency() = default;
    // Whole units.
    constexpr Currency(int unidades) : fRaw(static_cast<std::int64_t>(unidades) * 10000) {}
    constexpr Currency(long long unidades) : fRaw(static_cast<std::int64_t>(unidades) * 10000) {}

    // From a double, rounded to the fourth decimal with ties to even. The double is scaled in
    // extended precision, as the shops' platform does: 0.00025 is slightly above the tie in
    // binary and goes up to 0.0003, while 1.03125 is an exact tie and goes to the even 1.0312.
    static Currency deDouble(double v);
    static constexpr Currency deRaw(std::int64_t decimilesimos) {
        Currency c;
        c.fRaw = decimilesimos;
        return c;
    }
    // Parses "-1234.5678" (point as the separator, at most 4 decimals used, the rest rounded
    // half to even). Throws std::invalid_argument for text that is not a number.
    static Currency deTexto(const std::string& texto);

    constexpr std::int64_t raw() const { return fRaw; }
    double paraDouble() const { return static_cast<double>(fRaw) / 10000.0; }
    // Fixed decimals with a point, rounded half away from zero at `decimais` (0..4).
    std::string paraTexto(int decimais = 2) const;

    constexpr Currency operator-() const { return deRaw(-fRaw); }
    constexpr Currency& operator+=(Currency o) { fRaw += o.fRaw; return *this; }
    constexpr Currency& operator-=(Currency o) { fRaw -= o.fRaw; return *this; }
    friend constexpr Currency operator+(Currency a, Currency b) { return a += b; }
    friend constexpr Currency operator-(Currency a, Currency b) { return a -= b; }
    // Products and quotients are rounded to the fourth decimal with ties to even.
    friend Currency operator*(Currency a, Currency b);
    friend Currency operator/(Currency a, Currency b);
    friend constexpr Currency operator*(Currency a, std::int64_t n) { return deRaw(a.fRaw * n); }
    friend constexpr bool operator==(Currency a, Currency b) = default;
    friend constexpr auto operator<=>(Currency a, Currency b) = default;

    constexpr bool ehZero() const { return fRaw == 0; }

private:
    std::int64_t fRaw = 0;
};

} // namespace orv
