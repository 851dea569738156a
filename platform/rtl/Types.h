#pragma once
// Basic types shared by the whole platform layer.

#include <cstdint>
#include <string>

namespace velvane {

// Text is UTF-8 in a std::string throughout the programs.
using String = std::string;

// Days since 1899-12-30 00:00 local time, the time of day as the fraction.
using TDateTime = double;

// A fixed-point amount with four decimals, held as the value times 10000.
struct Currency {
    std::int64_t Scaled = 0;

    static constexpr std::int64_t Scale = 10000;
    static constexpr Currency FromScaled(std::int64_t scaled) { return Currency{scaled}; }
    double ToDouble() const { return static_cast<double>(Scaled) / Scale; }
    friend constexpr bool operator==(Currency, Currency) = default;
};

} // namespace velvane
