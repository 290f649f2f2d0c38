#pragma once
#include <string>

namespace clipvane {

// A ratio of two whole numbers written with exactly two decimals, the way every
// picture ratio is held and compared here: 1.33 for 4/3, 1.78 for 16/9, 10.00 for 10.
// The double quotient is rounded to nearest, ties to even.
std::string RatioText(int numerator, int denominator);

// Compares two ratio texts by the numbers they write.
bool RatioGreaterByValue(const std::string& a, const std::string& b);

}  // namespace clipvane
