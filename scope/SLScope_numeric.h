#pragma once
// Numeric routines of the scope: the value map of logarithmic axes, powers of
// ten with their sign, the shortening of exponent texts, and the expansion of
// the label format strings that hit points and measurement labels show.
// Every routine is pure and may run on any thread. Also the real-valued point
// and ranges that the control's events carry.

#include <functional>
#include <string>

double SLLog10(double x);
// sign(x) * log10(|x| + 1): odd, 0 at 0, defined for every real x. A NaN
// takes the negative branch and stays NaN.
double SLLog10a(double x);
// Inverse of SLLog10a.
double SLPow10a(double x);
// 10^x for x >= 0, -10^(-x) otherwise.
double SLPow10(double x);

// Keeps Decimals digits of the mantissa of an exponent text ("1.23456E005"
// with 2 gives "1.23E5") and drops leading zeros of the exponent. Texts
// without an "E" or without a decimal point keep their digits.
void SLTrimExponent(std::string Text, int Decimals, std::string &Result);

// The label format language of the chart: "%%" gives "%", "%D" the default
// text (itself scanned once more), "%X" and "%Y" the axes' tick texts of X
// and Y, any other code nothing; a "%" at the end ends the text. Format is
// used when it is not empty, Default otherwise. A "%D" met inside the
// expanded default gives nothing, so a default that names itself cannot
// expand forever.
std::string SLExpandFormatLabel(double X, double Y, const std::string &Format,
                                const std::string &Default,
                                const std::function<std::string(double)> &XTickText,
                                const std::function<std::string(double)> &YTickText);

// The measurement label language: the label's text, or Default when it is
// empty; "%%" gives "%", "%V" (either case) gives Value, other codes nothing.
std::string SLExpandMeasurementLabel(const std::string &Value, const std::string &LabelText,
                                     const std::string &Default);

struct TSLRealPoint {
  double X = 0;
  double Y = 0;
};

// X minimum, Y minimum, X maximum, Y maximum.
struct TSLRealRanges {
  double XMin = 0;
  double YMin = 0;
  double XMax = 0;
  double YMax = 0;
};
